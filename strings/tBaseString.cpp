#include "strings/tBaseString.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "platform/HostCheck.h"
#include "platform/Invariant.h"
#include "strings/StringMemoryPool.h"
#include "strings/tString.h"

namespace zul::zulStdString {

namespace {

constexpr char kNullText[tBaseString::kNullTextLength] = {'N', 'U', 'L', 'L', '\0',
                                                          'N', 'U', 'L', 'L', '\0'};

}  // namespace

AllocFn allocPtr = &tBaseString::allocFnImp;
FreeFn freePtr = &tBaseString::freeFnImp;

// A body in a block of this module's pool: it goes back to the pool whatever pair is installed.
class tBaseString::PoolBody final : public tBaseString {
public:
    explicit PoolBody(std::string_view text) : tBaseString(text) {}
    void Release() override {
        std::string().swap(*this);
        freeFnImp(this);
    }
};

// A body in storage the module owns: Release only empties it.
class tBaseString::StaticBody final : public tBaseString {
public:
    StaticBody() : tBaseString(std::string_view()) {}
    void Release() override { std::string().swap(*this); }
};

tBaseString* tBaseString::NewInPlace(void* storage) {
    static_assert(sizeof(StaticBody) == sizeof(tBaseString));
    return ::new (storage) StaticBody();
}

#if defined(QUON_CHECKED_HOST)
void tBaseString::CheckReleasable() const {
    const void* object;
    std::memcpy(&object, static_cast<const void*>(this), sizeof object);
    QUON_HOST_CHECK(object != nullptr,
                    "a string body without its release operation (its object pointer is null: released twice?)");
    Dl_info info{};
    QUON_HOST_CHECK(::dladdr(object, &info) != 0,
                    "a string body whose object pointer is not a class table of a loaded module: not a body, "
                    "or one already freed");
}
#endif

void tBaseString::Release() {
    std::string().swap(*this);  // frees a heap buffer; leaves size 0, capacity 15
    freePtr(this);
}

void* tBaseString::allocFnImp() {
    return AllocateBodyBlock();
}

void tBaseString::freeFnImp(void* block) {
    FreeBodyBlock(block);
}

bool tBaseString::isUsingZulString() {
    return true;
}

void tBaseString::setZulStringAllocAPI(void* alloc, void* free) {
    QUON_INVARIANT(alloc != nullptr && free != nullptr, "a string allocator pair with a missing function");
    allocPtr = reinterpret_cast<AllocFn>(alloc);
    freePtr = reinterpret_cast<FreeFn>(free);
}

tBaseString* tBaseString::New() {
    return New(std::string_view());
}

tBaseString* tBaseString::Make(AllocFn alloc, std::string_view text) {
    static_assert(sizeof(PoolBody) == sizeof(tBaseString), "both kinds fill a 40-byte block");
    const bool pooled = alloc == &allocFnImp;
    void* block = alloc();
    if (block == nullptr) return nullptr;
    QUON_INVARIANT(reinterpret_cast<std::uintptr_t>(block) % alignof(tBaseString) == 0,
                   "a string allocator's block is not aligned for a body");
    try {
        if (pooled) return ::new (block) PoolBody(text);
        return ::new (block) tBaseString(text);
    } catch (...) {
        (pooled ? &freeFnImp : freePtr)(block);  // a long text found no heap: the block goes back
        throw;
    }
}

tBaseString* tBaseString::New(std::string_view text) {
    return Make(allocPtr, text);
}

tBaseString* tBaseString::Copy(const tBaseString& source) {
#if QUON_CHECK_INVARIANTS
    const void* sourceObject;
    std::memcpy(&sourceObject, static_cast<const void*>(&source), sizeof sourceObject);
#endif
    QUON_INVARIANT(sourceObject != nullptr,
                   "a copy of a string body without its object pointer (released?)");
    tBaseString* copy = New(source);
    // A copy of another module's body answers to that module's code: same object pointer, so the
    // same Release. A copy of this module's body keeps the kind its own block calls for.
    if (copy != nullptr && !source.IsOwn())
        std::memcpy(static_cast<void*>(copy), static_cast<const void*>(&source), sizeof(void*));
    return copy;
}

bool tBaseString::IsOwn() const {
    // The object pointers of this module's two kinds of body, read off two bodies made once.
    static const auto objectPointer = [](const tBaseString& body) {
        const void* pointer;
        std::memcpy(&pointer, static_cast<const void*>(&body), sizeof pointer);
        return pointer;
    };
    alignas(tBaseString) static unsigned char plainBlock[sizeof(tBaseString)],
        poolBlock[sizeof(tBaseString)], staticBlock[sizeof(tBaseString)];
    static const void* const plain = objectPointer(*::new (plainBlock) tBaseString());
    static const void* const pool = objectPointer(*::new (poolBlock) PoolBody(std::string_view()));
    static const void* const kept = objectPointer(*::new (staticBlock) StaticBody());
    const void* mine = objectPointer(*this);
    return mine == plain || mine == pool || mine == kept;
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
