#include "Value.h"

#include <charconv>

namespace smallhost {

std::string PrintFloat(double value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);  // shortest round trip
    std::string text(buffer, end);
    if (text.find_first_of(".na") == std::string::npos) text += '.';  // nan and inf stay as they are
    return text;
}

std::string QuoteString(const std::string& bytes) {
    std::string out = "'";
    for (unsigned char c : bytes) {
        if (c == '\'' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            out += '\\';
            out += static_cast<char>('0' + (c >> 6));
            out += static_cast<char>('0' + ((c >> 3) & 7));
            out += static_cast<char>('0' + (c & 7));
        }
    }
    return out + "'";
}

std::string PrintValue(const Value& value) {
    struct Printer {
        std::string operator()(std::int64_t v) const { return std::to_string(v); }
        std::string operator()(double v) const { return PrintFloat(v); }
        std::string operator()(bool v) const { return v ? "true" : "false"; }
        std::string operator()(const std::string& v) const { return QuoteString(v); }
        std::string operator()(const std::shared_ptr<ArrayValue>& v) const {
            std::string out = "[";
            for (std::size_t i = 0; i < v->items.size(); ++i)
                out += (i ? ", " : "") + PrintValue(v->items[i]);
            return out + "]";
        }
        std::string operator()(const std::shared_ptr<RecordValue>& v) const {
            std::string out = "{";
            for (std::size_t i = 0; i < v->names.size(); ++i)
                out += (i ? ", " : "") + v->names[i] + ": " + PrintValue(v->values[i]);
            return out + "}";
        }
        std::string operator()(const std::shared_ptr<OpaqueValue>& v) const { return v->Text(); }
        std::string operator()(const std::shared_ptr<FunctionValue>&) const { return "<function>"; }
    };
    return std::visit(Printer{}, value.data);
}

std::string KindName(const Value& value) {
    static const char* const names[] = {"Int",    "Float",  "Bool",   "String",
                                        "Array",  "Record", "custom", "function"};
    if (value.Is<std::shared_ptr<OpaqueValue>>()) return value.As<std::shared_ptr<OpaqueValue>>()->TypeName();
    return names[value.data.index()];
}

}  // namespace smallhost
