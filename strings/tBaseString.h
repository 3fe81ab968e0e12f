// The pooled string body shared with the host by layout.
//
//   offset 0  object pointer: slot 0 = Release, the code of the module that made the body
//   offset 8  std::string text (32 bytes, small-buffer form: up to 15 bytes inline)
//
// A body is a 40-byte block taken through this module's `allocPtr` and given back through the
// operation that made it: a body of this module's own pool goes back to that pool (its object
// pointer says so), any other through `freePtr`. So a body made before the host installed its
// pair never crosses into the host's pool. A copy of another module's body keeps its source's
// object pointer, so that module also releases the copy; either module may drop a body the
// other made.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Marks the few runtime symbols a module publishes; everything else stays hidden.
#define ZUL_EXPORT __attribute__((visibility("default")))

namespace zul::zulStdString {

using AllocFn = void* (*)();
using FreeFn = void (*)(void*);

class tBaseString : public std::string {
public:
    // Slot 0: empties the text (freeing its heap buffer) and hands the block to freePtr (to the
    // pool, for a body of the module's own pool).
    virtual void Release();
#if defined(QUON_CHECKED_HOST)
    // Host fault unless the body's object pointer is the class table of a loaded module, whose
    // Release the caller is about to run (checked build).
    void CheckReleasable() const;
#endif

    // The exported allocation interface. The host may replace this module's pair.
    ZUL_EXPORT static void* allocFnImp();           // a block of the pool
    ZUL_EXPORT static void freeFnImp(void* block);  // back to the pool
    ZUL_EXPORT static bool isUsingZulString();      // always true
    ZUL_EXPORT static void setZulStringAllocAPI(void* alloc, void* free);

    // A new body with an empty text, or null when the allocator returned null.
    static tBaseString* New();
    // A new body holding a copy of `text`, or null when the allocator returned null.
    static tBaseString* New(std::string_view text);
    // A copy of `source`'s text in a new block, keeping `source`'s object pointer; null as above.
    static tBaseString* Copy(const tBaseString& source);
    // An empty body made in `storage` (40 bytes, 8-aligned, outliving every use of the body)
    // without the allocator, for a module's own static strings: they need no pool at load. Its
    // Release empties the text and keeps the block.
    static tBaseString* NewInPlace(void* storage);

    // True when this body is the null string: it shares the singleton's text buffer, or its
    // text is the singleton's 10 bytes.
    bool IsNull() const;
    // The null-string singleton body of this module, made on first use; its text is the
    // kNullTextLength bytes at NullText(): "NULL", a zero byte, "NULL", a zero byte.
    static const tBaseString& NullBody();
    static constexpr std::size_t kNullTextLength = 10;
    static const char* NullText();

    // Bodies exist only inside allocator blocks: see New and Copy.
    tBaseString(const tBaseString&) = delete;
    tBaseString& operator=(const tBaseString&) = delete;
    static void* operator new(std::size_t) = delete;

private:
    class PoolBody;    // a body of the module's own pool
    class StaticBody;  // a body in storage of the module's own (NewInPlace)

    tBaseString() = default;
    explicit tBaseString(std::string_view text) : std::string(text) {}
    ~tBaseString() = default;

    // A body for `text` in a block of `alloc`; null when it returned null.
    static tBaseString* Make(AllocFn alloc, std::string_view text);
    // True when this module's code made the body (either kind).
    bool IsOwn() const;
};

static_assert(sizeof(tBaseString) == 40, "the host allocates 40-byte bodies");

// This module's body allocator pair; starts as the pool pair, changed only by setZulStringAllocAPI.
extern AllocFn allocPtr;
extern FreeFn freePtr;

}  // namespace zul::zulStdString
