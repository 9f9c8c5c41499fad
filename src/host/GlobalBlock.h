#pragma once
// Global memory blocks, the currency of the clipboard and of the system's
// memory streams.
#include <objidl.h>
#include <windows.h>

#include <cstddef>

#include "host/Handles.h"

namespace panorel::host {

// A block locked for as long as the object lives; data() is null when the
// lock failed.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL block) noexcept : block_(block), data_(block ? ::GlobalLock(block) : nullptr) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal() {
        if (data_) ::GlobalUnlock(block_);
    }
    void* data() const noexcept { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

// A block of `flags` holding a copy of `size` bytes; empty when memory runs out.
GlobalMemoryHandle CopyToGlobal(const void* data, std::size_t size, UINT flags = GMEM_MOVEABLE);

// A stream over the block that frees it on its last release; empty on failure,
// and the block is freed then too.
ComPtr<IStream> StreamOver(GlobalMemoryHandle block);

}  // namespace panorel::host
