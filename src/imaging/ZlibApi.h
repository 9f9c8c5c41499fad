#pragma once
// The zlib functions the image code uses, as found at run time. Any of them
// may be missing: the PNG reader then inflates with its own decoder and skips
// CRC checks, and PNG writing takes its other path. The Win32 side fills the
// table from "zlib1.dll" or "zlib.dll", the native side from the system's
// shared zlib; both through ZlibRuntime.
namespace panorel::imaging {

struct ZlibApi {
    // zlib's uLong is unsigned long on every platform it is built for, and
    // zlib1.dll exports with the C calling convention.
    using Crc32Fn = unsigned long (*)(unsigned long crc, const unsigned char* buf, unsigned int len);
    using UncompressFn = int (*)(unsigned char* dest, unsigned long* destLen, const unsigned char* source,
                                 unsigned long sourceLen);
    using Compress2Fn = int (*)(unsigned char* dest, unsigned long* destLen, const unsigned char* source,
                                unsigned long sourceLen, int level);
    using CompressFn = int (*)(unsigned char* dest, unsigned long* destLen, const unsigned char* source,
                               unsigned long sourceLen);

    Crc32Fn crc32 = nullptr;
    UncompressFn uncompress = nullptr;
    Compress2Fn compress2 = nullptr;
    CompressFn compress = nullptr;

    bool HasCrc() const noexcept { return crc32 != nullptr; }
};

}  // namespace panorel::imaging
