#include "strings/tString.h"

#include <string>
#include <utility>

#include "platform/Platform.h"

namespace zul::zulStdString {

namespace {
const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}
}  // namespace

tString::tString() : body(tBaseString::New()) {}

tString::tString(const char* text) : body(tBaseString::New(text != nullptr ? text : "")) {}

tString::tString(const char* bytes, std::size_t length)
    : body(tBaseString::New(bytes != nullptr ? std::string_view(bytes, length) : std::string_view())) {}

tString::tString(const std::string& text) : body(tBaseString::New(text)) {}

tString::tString(std::string_view text) : body(tBaseString::New(text)) {}

tString tString::FromInteger(long long value) {
    return tString(std::to_string(value));
}

tString tString::Adopt(tBaseString* body) {
    return tString(body, AdoptTag{});
}

tString::tString(const tString& other)
    : body(other.body != nullptr ? tBaseString::Copy(*other.body) : nullptr) {}

tString::tString(tString&& other) noexcept : body(std::exchange(other.body, nullptr)) {}

tString& tString::operator=(const tString& other) {
    if (this != &other) *this = tString(other);
    return *this;
}

tString& tString::operator=(tString&& other) noexcept {
    if (this != &other) {
        if (body != nullptr) {
#if defined(QUON_CHECKED_HOST)
            body->CheckReleasable();
#endif
            body->Release();
        }
        body = std::exchange(other.body, nullptr);
    }
    return *this;
}

tString::~tString() {
    if (body != nullptr) {
#if defined(QUON_CHECKED_HOST)
        body->CheckReleasable();
#endif
        body->Release();
    }
}

const std::string& tString::Text() const {
    return body != nullptr ? *body : EmptyText();
}

bool tString::IsNull() const {
    return body != nullptr && body->IsNull();
}

const tString& tString::NullString() {
    // The body lies in storage of its own, on a cache line of its own: every IsNull reads it,
    // and as a pool block it would share a line with bodies other threads write all the time.
    struct alignas(platform::kCacheLineSize) Storage {
        unsigned char bytes[sizeof(tBaseString)];
    };
    static Storage storage;
    static const tString null = [] {
        tBaseString* body = tBaseString::NewInPlace(storage.bytes);
        body->assign(tBaseString::NullText(), tBaseString::kNullTextLength);
        return Adopt(body);
    }();
    return null;
}

tString& tString::Append(const char* bytes, std::size_t length) {
    if (body != nullptr && length != 0) body->append(bytes, length);
    return *this;
}

tString& tString::Append(std::string_view text) {
    return Append(text.data(), text.size());
}

tString& tString::Append(const tString& other) {
    if (other.IsNull()) return Append(std::string_view("Null"));
    return Append(std::string_view(other.Text()));
}

tString& tString::ReplaceAll(std::string_view pattern, std::string_view replacement) {
    if (body == nullptr || pattern.empty()) return *this;
    std::string result;
    std::size_t from = 0;
    for (std::size_t at; (at = body->find(pattern, from)) != std::string::npos; from = at + pattern.size())
        result.append(*body, from, at - from).append(replacement);
    if (from == 0) return *this;  // no occurrence
    result.append(*body, from, std::string::npos);
    body->swap(result);
    return *this;
}

}  // namespace zul::zulStdString
