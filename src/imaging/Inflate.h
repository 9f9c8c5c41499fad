#pragma once
// Our own DEFLATE decoder (RFC 1951) with the zlib wrapper (RFC 1950), for
// when no zlib library is at hand. Output never grows past the caller's
// buffer, so a stream that inflates beyond what the caller expects (a
// decompression bomb) is refused instead of filling memory.
#include <cstddef>
#include <cstdint>

namespace panorel::imaging {

enum class InflateStatus { Ok, BadHeader, BadData, Truncated, OutputFull, BadChecksum };

// Inflates a zlib stream (2-byte header, DEFLATE blocks, Adler-32) into
// dst[0..dstCapacity). *written receives the bytes produced, also on failure.
InflateStatus InflateZlib(const std::uint8_t* src, std::size_t srcSize, std::uint8_t* dst, std::size_t dstCapacity,
                          std::size_t* written);

// The same for bare DEFLATE data, without header and checksum.
InflateStatus InflateRaw(const std::uint8_t* src, std::size_t srcSize, std::uint8_t* dst, std::size_t dstCapacity,
                         std::size_t* written);

std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t size);

}  // namespace panorel::imaging
