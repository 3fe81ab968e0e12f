#include "diagnostics/MessageLibrary.h"

#include <limits>
#include <memory>
#include <string>

#include "platform/Invariant.h"

namespace zul::MessageLibrary {

using zulStdString::tString;

Message::Message(std::uint32_t relativeId, const char* text, std::uint32_t parameterCount)
    : relativeId_(relativeId), text_(text), parameterCount_(parameterCount) {}

tString Message::Format(const char* a1, const char* a2, const char* a3, const char* a4, const char* a5,
                        const char* a6) const {
    const char* const args[6] = {a1, a2, a3, a4, a5, a6};
    // One pass over the text, so an argument that itself holds "%2" stays as written.
    std::string out;
    for (const char* p = text_ != nullptr ? text_ : ""; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '6') {
            const unsigned k = static_cast<unsigned>(p[1] - '0');
            if (k <= parameterCount_ && args[k - 1] != nullptr) {
                out += args[k - 1];
                ++p;
                continue;
            }
        }
        out.push_back(*p);
    }
    return tString(out);
}

Messages::~Messages() {
    for (auto& [id, message] : byId) delete message;
}

Library::~Library() {
    for (auto& [language, messages] : languages_) delete messages;
}

void Library::RegisterMessages(std::int32_t baseId, const MessageTableRow* rows, std::size_t count) {
    QUON_INVARIANT(rows != nullptr || count == 0, "a message table with rows but no address");
    ++registrationCount_;
    for (std::size_t i = 0; i < count; ++i) {
        const MessageTableRow& row = rows[i];
        QUON_INVARIANT(row.parameterCount <= 6, "a message row with more than six placeholders");
        QUON_INVARIANT(
            static_cast<std::int64_t>(baseId) + row.relativeId <= std::numeric_limits<std::int32_t>::max(),
            "a message number past the catalogue's range");
        auto language = languages_.find(row.language);
        if (language == languages_.end()) {
            auto fresh = std::make_unique<Messages>();
            language = languages_.emplace(row.language, fresh.get()).first;
            fresh.release();
        }
        const std::int32_t id = baseId + static_cast<std::int32_t>(row.relativeId);
        auto message = std::make_unique<Message>(row.relativeId, row.text, row.parameterCount);
        Message*& slot = language->second->byId[id];
        delete slot;  // null for a new id
        slot = message.release();
    }
}

tString Library::GetMessage(std::int32_t id, const char* a1, const char* a2, const char* a3, const char* a4,
                            const char* a5, const char* a6) const {
    // The map is ordered by language code, so English (0) comes first.
    for (const auto& [language, messages] : languages_) {
        auto found = messages->byId.find(id);
        if (found != messages->byId.end()) return found->second->Format(a1, a2, a3, a4, a5, a6);
    }
    return tString("Unknown error! Code: " + std::to_string(id));
}

const Messages* Library::FindLanguage(std::uint8_t language) const {
    auto found = languages_.find(language);
    return found != languages_.end() ? found->second : nullptr;
}

Library& MessageLibraryInstance() {
    static Library library;
    return library;
}

}  // namespace zul::MessageLibrary
