// The handle through which a pooled string body is held everywhere: exactly one pointer.
// Dropping a handle releases its body through the body's own Release.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "strings/tBaseString.h"

namespace zul::zulStdString {

class tString {
public:
    tString();                                    // new empty body
    explicit tString(const char* text);           // a null pointer gives an empty text
    tString(const char* bytes, std::size_t length);
    explicit tString(const std::string& text);
    explicit tString(std::string_view text);
    static tString FromInteger(long long value);  // decimal rendering

    tString(const tString& other);                // copy of the body; keeps the source's object pointer
    tString(tString&& other) noexcept;            // steals; `other` becomes a null handle
    tString& operator=(const tString& other);
    tString& operator=(tString&& other) noexcept;
    ~tString();

    tBaseString* Body() const { return body_; }   // null only when the allocator returned null
    const std::string& Text() const;
    const char* c_str() const { return Text().c_str(); }
    std::size_t size() const { return Text().size(); }
    bool empty() const { return Text().empty(); }

    bool IsNull() const;                          // the body is the null string
    static const tString& NullString();           // the process-wide null-string singleton

    tString& Append(const char* bytes, std::size_t length);
    tString& Append(std::string_view text);
    tString& Append(const tString& other);        // appends "Null" when other is the null string
    tString& ReplaceAll(std::string_view pattern, std::string_view replacement);
    friend tString operator+(tString a, const tString& b);  // a's body with b appended

private:
    tBaseString* body_ = nullptr;
};

static_assert(sizeof(tString) == 8, "a string handle is one pointer in every shared layout");

}  // namespace zul::zulStdString
