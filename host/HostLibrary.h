// An extension library as the stand-in host calls it: loaded, bound to the host's operation
// table, its descriptor read, its custom type names registered with the host's type parser and
// every row's type string parsed once. Rows are called by name with host values; each argument
// is checked against the row's parsed type before the adapter runs.
//
//   HostLibrary library(DefaultLibraryPath());
//   Value sum = library.Call("getArraySum", {Value::Array({Value::Int(1), Value::Int(2)})});
//   sum.Text();  // "3"
//
// Calls may come from any number of threads at once: each thread gets its own evaluator on its
// first call (unless it has one already), and the rows and their types are only read.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datatypes/DataType.h"
#include "host/LibraryLoader.h"
#include "host/TypeCheck.h"
#include "host/Value.h"

namespace quon_host {

class HostLibrary {
public:
    struct Row {
        const QUON_ExternLib::FunctionEntry* entry;
        QUON_DataTypes::DataType type;  // the parsed function type; Undefined when the row is unusable
        std::string error;              // why the row cannot be called (no type string, one that does
                                        // not parse or is not a function type); empty when it can
        std::string parameterNames;     // "a, b", as the library publishes them beside the descriptor; empty: none
    };

    // Where the library's string bodies come from: its own pool, or the host's (the host installs
    // its allocator pair before binding, as quon-host does).
    enum class Strings { kLibraryPool, kHostPool };

    // Throws std::runtime_error when the library cannot be loaded or bound.
    explicit HostLibrary(const std::string& path, Strings strings = Strings::kLibraryPool);

    const QUON_ExternLib::LibraryDescriptor& Descriptor() const { return *descriptor; }
    const LoadedLibrary& Loaded() const { return library; }
    const std::vector<Row>& Rows() const { return rows; }
    // The row of that name, or null.
    const Row* Find(std::string_view name) const;
    // The row name closest to `name` (fewest single-character edits).
    std::string ClosestName(std::string_view name) const;

    // Calls the row with `arguments` and returns its result. Throws CallError, without calling the
    // adapter, for an unknown name, a row whose type did not parse, a wrong number of arguments
    // or an argument not of the row's type: "maxint: argument 2 must be Int, given String".
    // Whatever the library throws reaches the caller unchanged, with the thread's evaluator and
    // stack limit restored.
    Value Call(std::string_view name, const std::vector<Value>& arguments) const;
    Value Call(const Row& row, const std::vector<Value>& arguments) const {
        return Call(row, std::span<const Value>(arguments));
    }
    // `conforming` marks arguments known to be of the row's types (bit i: argument i), which are
    // then not checked again: a caller that passes the result of a row whose published type is
    // the parameter's (checked when that row returned) sets its bit.
    Value Call(const Row& row, std::span<const Value> arguments, std::uint64_t conforming = 0) const;

    // Refuses (CallError) a result of another type than the row's published result type, as every
    // call does: for callers that call a usable row's adapter on a frame of their own.
    static void CheckResult(const Row& row, const Value& result);

private:
    LoadedLibrary library;
    const QUON_ExternLib::LibraryDescriptor* descriptor;
    std::vector<Row> rows;
    std::unordered_map<std::string_view, std::size_t> byName;
};

}  // namespace quon_host
