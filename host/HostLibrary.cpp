#include "host/HostLibrary.h"

#include <algorithm>
#include <memory>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "host/CallFrame.h"
#include "host/ClosestName.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/HostFunction.h"
#include "host/TypeText.h"
#include "strings/tBaseString.h"

namespace quon_host {

namespace {

// The calling thread's evaluator: the one installed, or one made for this thread on first use.
void EnsureEvaluator() {
    thread_local std::unique_ptr<EvaluatorScope> own;
    if (CurrentEvaluator() == nullptr && own == nullptr) own = std::make_unique<EvaluatorScope>();
}

}  // namespace

HostLibrary::HostLibrary(const std::string& path, Strings strings) : library(path) {
    using zul::zulStdString::tBaseString;
    if (strings == Strings::kHostPool)
        library.Strings().setZulStringAllocAPI(reinterpret_cast<void*>(&tBaseString::allocFnImp),
                                               reinterpret_cast<void*>(&tBaseString::freeFnImp));
    library.Bind(HostContext());
    descriptor = library.Data();
    if (descriptor == nullptr) throw std::runtime_error(path + ": LibraryData gave no descriptor");
    for (std::uint64_t i = 0; i < descriptor->customTypeCount; ++i)
        QUON_DataTypes::ExternalTypeRegistry::Instance().Register(descriptor->customTypes[i].typeName);
    rows.reserve(descriptor->functionCount);
    for (std::uint64_t i = 0; i < descriptor->functionCount; ++i) {
        const QUON_ExternLib::FunctionEntry& entry = descriptor->functions[i];
        std::string error = entry.typeString == nullptr ? "no type string" : "";
        auto type = entry.typeString != nullptr ? ParseTypeText(entry.typeString, error) : std::nullopt;
        rows.push_back({&entry, type ? std::move(*type) : QUON_DataTypes::DataType(), std::move(error)});
        byName.emplace(entry.name, i);
    }
}

const HostLibrary::Row* HostLibrary::Find(std::string_view name) const {
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : &rows[found->second];
}

std::string HostLibrary::ClosestName(std::string_view name) const {
    std::vector<std::string_view> names;
    for (const Row& row : rows) names.push_back(row.entry->name);
    return quon_host::ClosestName(name, names, SIZE_MAX);
}

Value HostLibrary::Call(std::string_view name, const std::vector<Value>& arguments) const {
    const Row* row = Find(name);
    if (row == nullptr)
        throw CallError("no function '" + std::string(name) + "' in " + descriptor->libraryName +
                        "; did you mean '" + ClosestName(name) + "'?");
    return Call(*row, arguments);
}

Value HostLibrary::Call(const Row& row, const std::vector<Value>& arguments) const {
    const std::string name = row.entry->name;
    QUON_DataTypes::DataTypeImp& type = *row.type.Get();
    if (type.TypeCode() != QUON_DataTypes::TypeCode::kFunction)
        throw CallError(name + ": its type string does not parse: " + row.entry->typeString);
    const std::size_t count = type.GetArgumentCount();
    if (arguments.size() != count)
        throw CallError(name + " takes " + std::to_string(count) +
                        (count == 1 ? " argument" : " arguments") + ", given " +
                        std::to_string(arguments.size()));

    EnsureEvaluator();
    CallFrame frame(count);
    for (std::size_t i = 0; i < count; ++i) {
        QUON_DataTypes::DataType& expected = type.GetFunctionSubType(static_cast<std::uint32_t>(i + 1));
        const Value& argument = arguments[i];
        if (!Conforms(argument, expected))
            throw CallError(name + ": argument " + std::to_string(i + 1) + " must be " +
                            expected.ToString().Text() + ", given " + argument.TypeText());
        if (argument.GetKind() == Value::Kind::Function) {
            // The row's function type goes with this call's copy, so the host checks what the
            // function returns before the library reads it.
            const HostFunction& function = *FunctionOf(argument);
            MakeFunction(function.arity, function.body, expected).MoveInto(frame.Argument(i));
        } else {
            argument.Cell().CopyTo(frame.Argument(i));
        }
    }
    Value result;
    frame.Call(row.entry->adapter, &result.Cell());
    return result;
}

}  // namespace quon_host
