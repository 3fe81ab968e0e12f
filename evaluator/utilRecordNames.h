// The names table of a record shape: attribute name -> attribute position. Every record of
// one shape refers to the same table through a shared handle (made in one allocation with its
// counts); the record block's word at offset 8 points to the table itself.
//
// Names order by their bytes (unsigned, over the shorter length), a proper prefix first.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string_view>

#include "strings/tString.h"

namespace QUON_Evaluator {

class utilRecordNames {
public:
    struct NameOrder {
        bool operator()(const zul::zulStdString::tString& a, const zul::zulStdString::tString& b) const;
    };
    using NameMap = std::map<zul::zulStdString::tString, std::int16_t, NameOrder>;
    using Handle = std::shared_ptr<utilRecordNames>;

    // A new, empty table behind a new handle.
    static Handle Make();
    // A new table holding `names` in order; a repeated name keeps its first index.
    static Handle FromNames(std::initializer_list<const char*> names);
    // Adds `name` with the next index unless present; returns its index. A table shared by
    // more than one handle is first copied into a new one that replaces it in `handle`.
    static std::int16_t AddName(Handle& handle, std::string_view name);

    // The index of `name` (null counts as the empty name), or -1 when absent.
    int Find(const char* name) const;
    std::size_t Size() const { return names.size(); }
    const NameMap& Names() const { return names; }

private:
    NameMap names;  // owns every name body
};

}  // namespace QUON_Evaluator
