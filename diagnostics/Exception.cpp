#include "diagnostics/Exception.h"

#include <string>

namespace zul {

using zulStdString::tString;

tString ErrorTag(std::uint32_t id, std::int32_t subcode) {
    if (id == 0) return tString();
    std::string tag = " [err " + std::to_string(id);
    if (subcode >= 0) tag += ":" + std::to_string(subcode);
    tag += "]";
    return tString(tag);
}

Exception::Exception(const tString& message, const tString& tag, std::uint32_t id, std::int32_t subcode)
    : std::runtime_error(message.Text()), id(id), subcode(subcode), message(message), tag(tag) {}

Exception::Exception(const char* text)
    : std::runtime_error(text != nullptr ? text : ""), id(0), subcode(-1), message(text) {}

Exception::Exception(const Exception& other) = default;

Exception::~Exception() = default;

const char* Exception::what() const noexcept {
    // Built once: a rebuild would free the text an earlier caller may still hold.
    if (fullText.empty() && !(message.empty() && tag.empty())) {
        try {
            BuildText();
        } catch (...) {
            return std::runtime_error::what();  // no memory for the cache: the message alone
        }
    }
    return fullText.c_str();
}

const char* Exception::DescribeKind() const {
    return "Some exception";
}

void Exception::BuildText() const {
    fullText = tString(message) + tag;
}

}  // namespace zul
