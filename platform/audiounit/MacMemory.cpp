#include <CoreServices/MacErrors.h>
#include <CoreServices/MacMemory.h>

#include <cstdlib>
#include <cstring>

namespace {

// A handle is the address of `master`, the block's current location.
struct HandleBlock {
    Ptr master;
    Size size;
};

thread_local OSErr lastMemError = noErr;

HandleBlock* BlockOf(Handle h) {
    return reinterpret_cast<HandleBlock*>(h);
}

Handle Allocate(Size byteCount, bool clear) {
    if (byteCount < 0) {
        lastMemError = paramErr;
        return nullptr;
    }
    auto* block = static_cast<HandleBlock*>(std::malloc(sizeof(HandleBlock)));
    // A zero-size block still gets a distinct allocation so *h is never NULL.
    Ptr data = static_cast<Ptr>(clear ? std::calloc(1, byteCount > 0 ? byteCount : 1)
                                      : std::malloc(byteCount > 0 ? byteCount : 1));
    if (block == nullptr || data == nullptr) {
        std::free(block);
        std::free(data);
        lastMemError = memFullErr;
        return nullptr;
    }
    block->master = data;
    block->size = byteCount;
    lastMemError = noErr;
    return &block->master;
}

}  // namespace

extern "C" {

Handle NewHandle(Size byteCount) {
    return Allocate(byteCount, false);
}

Handle NewHandleClear(Size byteCount) {
    return Allocate(byteCount, true);
}

void DisposeHandle(Handle h) {
    if (h == nullptr) {
        lastMemError = nilHandleErr;
        return;
    }
    std::free(BlockOf(h)->master);
    std::free(BlockOf(h));
    lastMemError = noErr;
}

Size GetHandleSize(Handle h) {
    if (h == nullptr) {
        lastMemError = nilHandleErr;
        return 0;
    }
    lastMemError = noErr;
    return BlockOf(h)->size;
}

void SetHandleSize(Handle h, Size newSize) {
    if (h == nullptr) {
        lastMemError = nilHandleErr;
        return;
    }
    if (newSize < 0) {
        lastMemError = paramErr;
        return;
    }
    Ptr data = static_cast<Ptr>(std::realloc(BlockOf(h)->master, newSize > 0 ? newSize : 1));
    if (data == nullptr) {
        lastMemError = memFullErr;
        return;
    }
    BlockOf(h)->master = data;
    BlockOf(h)->size = newSize;
    lastMemError = noErr;
}

OSErr MemError(void) {
    return lastMemError;
}

}  // extern "C"
