#include "host/GlobalBlock.h"

#include <cstring>

namespace panorel::host {

GlobalMemoryHandle CopyToGlobal(const void* data, std::size_t size, UINT flags) {
    GlobalMemoryHandle block(::GlobalAlloc(flags, size));
    if (!block || size == 0) return block;
    const LockedGlobal lock(block.get());
    if (!lock.data()) return {};
    std::memcpy(lock.data(), data, size);
    return block;
}

ComPtr<IStream> StreamOver(GlobalMemoryHandle block) {
    IStream* stream = nullptr;
    if (!block || FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, &stream))) return {};
    block.release();  // the stream's now
    return ComPtr<IStream>(stream);
}

}  // namespace panorel::host
