// The numbered, multi-language message catalogue. Each module registers its tables while it
// loads; lookups prefer English (language 0), then the other languages in ascending code
// order. Texts take the placeholders "%1" to "%6".
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "strings/tString.h"

namespace zul::MessageLibrary {

inline constexpr std::uint8_t kLanguageEnglish = 0;
inline constexpr std::uint8_t kLanguageSerbian = 1;

// One row of a message table as handed to RegisterMessages.
struct MessageTableRow {
    std::uint8_t language;         // language code
    std::uint8_t reserved1[3];     // zero
    std::uint32_t relativeId;      // id within the table; the absolute id adds the table's base
    std::uint32_t parameterCount;  // placeholders "%1".."%<count>" that Format fills
    std::uint32_t reserved2;       // zero
    const char* text;              // static zero-terminated UTF-8, not owned
};

static_assert(sizeof(MessageTableRow) == 24);
static_assert(offsetof(MessageTableRow, relativeId) == 4);
static_assert(offsetof(MessageTableRow, parameterCount) == 8);
static_assert(offsetof(MessageTableRow, text) == 16);

class Message {
public:
    Message(std::uint32_t relativeId, const char* text, std::uint32_t parameterCount);
    virtual ~Message() = default;

    // The text with "%k" replaced by ak for every present ak with k <= the parameter count.
    // Arguments are inserted as they stand: placeholders inside them are not expanded again.
    zulStdString::tString Format(const char* a1 = nullptr, const char* a2 = nullptr,
                                 const char* a3 = nullptr, const char* a4 = nullptr,
                                 const char* a5 = nullptr, const char* a6 = nullptr) const;

    std::uint32_t RelativeId() const { return relativeId_; }
    const char* Text() const { return text_; }
    std::uint32_t ParameterCount() const { return parameterCount_; }

private:
    std::uint32_t relativeId_;
    const char* text_;  // static text from the registered table, not owned
    std::uint32_t parameterCount_;
};

// The messages of one language.
class Messages {
public:
    Messages() = default;
    virtual ~Messages();
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;

    std::map<std::int32_t, Message*> byId;  // absolute id -> message (owned)
};

// The catalogue of one module.
class Library {
public:
    Library() = default;
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Adds the rows under baseId + relative id; a registered id is replaced.
    void RegisterMessages(std::int32_t baseId, const MessageTableRow* rows, std::size_t count);

    // The formatted message, or "Unknown error! Code: <id>" when no language has the id.
    zulStdString::tString GetMessage(std::int32_t id, const char* a1 = nullptr, const char* a2 = nullptr,
                                     const char* a3 = nullptr, const char* a4 = nullptr,
                                     const char* a5 = nullptr, const char* a6 = nullptr) const;

    // The messages of one language, or null.
    const Messages* FindLanguage(std::uint8_t language) const;

    std::int32_t RegistrationCount() const { return registrationCount_; }

private:
    std::int32_t registrationCount_ = 0;
    std::map<std::uint8_t, Messages*> languages_;  // language code -> its messages (owned)
};

// This module's catalogue, created on first use.
Library& MessageLibraryInstance();

}  // namespace zul::MessageLibrary
