// The pooled string body: a 40-byte block holding an object pointer whose first virtual
// operation releases the body with the code of the module that made it, followed by the
// standard string. Either module may drop a body the other made without mixing heaps.
#pragma once

#include <cstddef>
#include <string>

#define ZUL_EXPORT __attribute__((visibility("default")))

namespace zul::zulStdString {

class tBaseString : public std::string {
public:
    virtual void Release();  // slot 0: empty the text, then hand the block to freePtr

    ZUL_EXPORT static void* allocFnImp();            // one 40-byte block from "myStringMemoryPool"
    ZUL_EXPORT static void freeFnImp(void* block);   // back onto "myStringMemoryPool"'s free list
    ZUL_EXPORT static bool isUsingZulString();       // always true
    ZUL_EXPORT static void setZulStringAllocAPI(void* alloc, void* free);  // replaces allocPtr/freePtr
};

static_assert(sizeof(tBaseString) == 40);

}  // namespace zul::zulStdString
