#include "strings/tBaseString.h"

#include <cstring>
#include <new>

#include "strings/StringMemoryPool.h"
#include "strings/tString.h"

namespace zul::zulStdString {

tStringMemoryPool& StringMemoryPool() {
    static tStringMemoryPool pool("myStringMemoryPool");
    return pool;
}

namespace {

constexpr char kNullText[tBaseString::kNullTextLength] = {'N', 'U', 'L', 'L', '\0',
                                                          'N', 'U', 'L', 'L', '\0'};

}  // namespace

AllocFn allocPtr = &tBaseString::allocFnImp;
FreeFn freePtr = &tBaseString::freeFnImp;

void tBaseString::Release() {
    std::string().swap(*this);  // frees a heap buffer; leaves size 0, capacity 15
    freePtr(this);
}

void* tBaseString::allocFnImp() {
    return StringMemoryPool().Allocate();
}

void tBaseString::freeFnImp(void* block) {
    StringMemoryPool().Free(block);
}

bool tBaseString::isUsingZulString() {
    return true;
}

void tBaseString::setZulStringAllocAPI(void* alloc, void* free) {
    allocPtr = reinterpret_cast<AllocFn>(alloc);
    freePtr = reinterpret_cast<FreeFn>(free);
}

tBaseString* tBaseString::New() {
    return New(std::string_view());
}

tBaseString* tBaseString::New(std::string_view text) {
    void* block = allocPtr();
    if (block == nullptr) return nullptr;
    try {
        return ::new (block) tBaseString(text);
    } catch (...) {
        freePtr(block);  // a long text found no heap: the block goes back
        throw;
    }
}

tBaseString* tBaseString::Copy(const tBaseString& source) {
    tBaseString* copy = New(source);
    // The copy answers to the source's code: same object pointer, so the same Release.
    if (copy != nullptr)
        std::memcpy(static_cast<void*>(copy), static_cast<const void*>(&source), sizeof(void*));
    return copy;
}

bool tBaseString::IsNull() const {
    const tBaseString& null = NullBody();
    return data() == null.data() ||
           (size() == kNullTextLength && std::memcmp(data(), kNullText, size()) == 0);
}

const tBaseString& tBaseString::NullBody() {
    const tString& null = tString::NullString();
    if (null.Body() == nullptr) throw std::bad_alloc();
    return *null.Body();
}

const char* tBaseString::NullText() {
    return kNullText;
}

}  // namespace zul::zulStdString
