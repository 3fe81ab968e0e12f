// The handle through which the runtime holds a pooled string: exactly one pointer to a
// tBaseString body. Dropping a handle releases its body through the body's own Release.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "strings/tBaseString.h"

namespace zul::zulStdString {

class tString {
public:
    tString();                           // new empty body
    explicit tString(const char* text);  // null pointer -> empty text
    tString(const char* bytes, std::size_t length);
    explicit tString(const std::string& text);
    explicit tString(std::string_view text);
    static tString FromInteger(long long value);  // decimal rendering
    // Takes over an existing body (may be null); the handle releases it.
    static tString Adopt(tBaseString* body);

    tString(const tString& other);      // copy of the body; keeps the source's object pointer
    tString(tString&& other) noexcept;  // steals; `other` becomes a null handle
    tString& operator=(const tString& other);
    tString& operator=(tString&& other) noexcept;
    ~tString();  // Release() on the body, if any

    tBaseString* Body() const { return body; }  // null only if the allocator returned null
    const std::string& Text() const;            // the body's text (empty for a null handle)
    const char* c_str() const { return Text().c_str(); }
    std::size_t size() const { return Text().size(); }
    bool empty() const { return Text().empty(); }

    bool IsNull() const;                 // the body is the null string
    static const tString& NullString();  // the null-string singleton handle

    tString& Append(const char* bytes, std::size_t length);
    tString& Append(std::string_view text);
    tString& Append(const tString& other);  // appends "Null" when other is the null string
    // Replaces every occurrence of `pattern` (left to right, not rescanning replacements).
    tString& ReplaceAll(std::string_view pattern, std::string_view replacement);

    friend tString operator+(tString a, const tString& b) { return std::move(a.Append(b)); }

private:
    struct AdoptTag {};
    tString(tBaseString* adopted, AdoptTag) noexcept : body(adopted) {}

    tBaseString* body;  // owned body, or null
};

static_assert(sizeof(tString) == 8, "a string handle is one pointer");

}  // namespace zul::zulStdString
