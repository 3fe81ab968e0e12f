// The runtime's exception: a catalogue text, the message number shown as a tag after it
// ("Error: Cell Evaluated! [err 2001]"), and an optional subcode. Every text is a pooled
// string, so a host that catches one can copy and release it with its own code.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "strings/tString.h"

namespace zul {

// "" for id 0, " [err <id>]" for a negative subcode, else " [err <id>:<subcode>]".
zulStdString::tString ErrorTag(std::uint32_t id, std::int32_t subcode);

class Exception : public std::runtime_error {
public:
    // Takes copies of both texts.
    Exception(const zulStdString::tString& message, const zulStdString::tString& tag, std::uint32_t id,
              std::int32_t subcode);
    // A plain text (null for empty): no tag, id 0, subcode -1.
    explicit Exception(const char* text);
    Exception(const Exception& other);  // copies every body
    Exception& operator=(const Exception& other) = default;
    ~Exception() override;

    // message + tag, built on the first call and kept.
    const char* what() const noexcept override;
    virtual const char* DescribeKind() const;
    // Rebuilds the full-text cache from message and tag.
    virtual void BuildText() const;

    std::uint32_t id;                        // message number, 0 for none
    std::int32_t subcode;                    // negative for none
    zulStdString::tString message;           // the catalogue text after substitution
    mutable zulStdString::tString fullText;  // cache of message + tag; empty until first needed
    zulStdString::tString tag;               // the error-number tag
};

}  // namespace zul
