#include "host/HostLibrary.h"

#include <algorithm>
#include <memory>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "host/CallFrame.h"
#include "host/ClosestName.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/HostFaults.h"
#include "host/HostFunction.h"
#include "host/LibraryBoundary.h"
#include "host/TypeTextErrors.h"
#include "platform/Platform.h"
#include "strings/tBaseString.h"

namespace quon_host {

namespace {

// A canonical type text with the spacing published type strings and value types use
// ("Record[ a: Int ]", "( Int -> Int )"), so that an expected type and a given one read alike.
std::string Spaced(const std::string& canonical) {
    std::string out;
    std::vector<bool> record;  // per open '[': whether it opens a record
    for (std::size_t i = 0; i < canonical.size(); ++i) {
        const char c = canonical[i];
        if (c == '[') {
            record.push_back(out.size() >= 6 && out.compare(out.size() - 6, 6, "Record") == 0);
            out += record.back() ? "[ " : "[";
        } else if (c == ']') {
            out += !record.empty() && record.back() ? " ]" : "]";
            if (!record.empty()) record.pop_back();
        } else if (c == ':' && (i + 1 >= canonical.size() || canonical[i + 1] != ' ')) {
            out += ": ";
        } else if (c == '(') {
            out += "( ";
        } else if (c == ')') {
            out += " )";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

namespace {

// The calling thread's evaluator: the one installed, or one made for this thread on first use.
void EnsureEvaluator() {
    thread_local std::unique_ptr<EvaluatorScope> own;
    if (CurrentEvaluator() == nullptr && own == nullptr) own = std::make_unique<EvaluatorScope>();
}

// Counts beyond these are taken for a descriptor that is not what it claims to be.
constexpr std::uint64_t kMaxRows = 1'000'000;
constexpr std::uint64_t kMaxCustomTypes = 100'000;

// Refuses a descriptor this host cannot read safely: another interface, counts beyond reason, rows
// without the pointers every host reads.
void CheckDescriptor(const std::string& path, const QUON_ExternLib::LibraryDescriptor* descriptor) {
    const auto refuse = [&](const std::string& why) {
        throw std::runtime_error(path + ": the descriptor is not usable: " + why);
    };
    if (descriptor == nullptr) refuse("LibraryData gave none");
    if (descriptor->interfaceVersion != QUON_ExternLib::kInterfaceVersion)
        refuse("it was built for extension interface " + std::to_string(descriptor->interfaceVersion) +
               ", and this host speaks " + std::to_string(QUON_ExternLib::kInterfaceVersion));
    if (descriptor->libraryName == nullptr) refuse("the library has no name");
    if (descriptor->functionCount > kMaxRows ||
        (descriptor->functionCount != 0 && descriptor->functions == nullptr))
        refuse("it claims " + std::to_string(descriptor->functionCount) + " functions");
    if (descriptor->customTypeCount > kMaxCustomTypes ||
        (descriptor->customTypeCount != 0 && descriptor->customTypes == nullptr))
        refuse("it claims " + std::to_string(descriptor->customTypeCount) + " custom types");
    for (std::uint64_t i = 0; i < descriptor->customTypeCount; ++i)
        if (descriptor->customTypes[i].typeName == nullptr)
            refuse("custom type " + std::to_string(i + 1) + " has no name");
    for (std::uint64_t i = 0; i < descriptor->functionCount; ++i)
        if (descriptor->functions[i].name == nullptr || descriptor->functions[i].adapter == nullptr)
            refuse("function " + std::to_string(i + 1) + " has no name or no adapter");
}

}  // namespace

HostLibrary::HostLibrary(const std::string& path, Strings strings) : library(path) {
    using zul::zulStdString::tBaseString;
    // The entry points are the library's code: what they throw is reported with their names.
    const auto entry = [&](const char* name) { return [&path, name] { return path + ": " + name; }; };
    if (strings == Strings::kHostPool)
        IntoLibrary(entry("setZulStringAllocAPI"), [&] {
            library.Strings().setZulStringAllocAPI(reinterpret_cast<void*>(&tBaseString::allocFnImp),
                                                   reinterpret_cast<void*>(&tBaseString::freeFnImp));
        });
    IntoLibrary(entry("BindToParentContext"), [&] { library.Bind(HostContext()); });
    descriptor = IntoLibrary(entry("LibraryData"), [&] { return library.Data(); });
    CheckDescriptor(path, descriptor);
    for (std::uint64_t i = 0; i < descriptor->customTypeCount; ++i)
        QUON_DataTypes::ExternalTypeRegistry::Instance().Register(descriptor->customTypes[i].typeName);
    rows.reserve(descriptor->functionCount);
    const QUON_ExternLib::PublishedBeside* beside = QUON_ExternLib::BesideOf(*descriptor);
    for (std::uint64_t i = 0; i < descriptor->functionCount; ++i) {
        const QUON_ExternLib::FunctionEntry& entry = descriptor->functions[i];
        // Whatever makes a row unusable is found here, once: every use of the row reads `error`.
        std::string error;
        std::optional<QUON_DataTypes::DataType> type;
        if (entry.typeString == nullptr) {
            error = "it has no type string";
        } else if (type = ParseTypeText(entry.typeString, error); !type) {
            error = "its type string does not parse: " + error;
        } else if (type->Get()->TypeCode() != QUON_DataTypes::TypeCode::kFunction) {
            error = "its type string is not a function type: " + std::string(entry.typeString);
            type.reset();
        }
        std::string names;
        if (beside != nullptr && beside->parameterNames[i] != nullptr) names = beside->parameterNames[i];
        rows.push_back({&entry, type ? std::move(*type) : QUON_DataTypes::DataType(), std::move(error),
                        std::move(names)});
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

Value HostLibrary::Call(const Row& row, std::span<const Value> arguments, std::uint64_t conforming) const {
    const std::string_view name = row.entry->name;
    if (!row.error.empty()) throw CallError(std::string(name) + ": " + row.error);
    QUON_DataTypes::DataTypeImp& type = *row.type.Get();
    const std::size_t count = type.GetArgumentCount();
    if (arguments.size() != count)
        throw CallError(std::string(name) + " takes " + std::to_string(count) +
                        (count == 1 ? " argument" : " arguments") + ", given " +
                        std::to_string(arguments.size()));

    EnsureEvaluator();
    CallFrame frame(count);
    for (std::size_t i = 0; i < count; ++i) {
        QUON_DataTypes::DataType& expected = type.GetFunctionSubType(static_cast<std::uint32_t>(i + 1));
        const Value& argument = arguments[i];
        const bool known = i < 64 && (conforming >> i & 1) != 0;
        if (!known && !Conforms(argument, expected))
            throw CallError(std::string(name) + ": argument " + std::to_string(i + 1) + " must be " +
                            Spaced(expected.ToString().Text()) + ", given " + argument.TypeText());
        if (argument.GetKind() == Value::Kind::Function) {
            // The row's function type goes with this call's copy, so the host checks what the
            // function returns before the library reads it.
            const HostFunction& function = *FunctionOf(argument);
            MakeFunction(function.arity, function.body, expected, row.entry->name, i + 1)
                .MoveInto(frame.Argument(i));
        } else {
            argument.Cell().CopyTo(frame.Argument(i));
        }
    }
    Value result;
    try {
        frame.Call(row.entry->adapter, &result.Cell());
    } catch (const std::exception&) {
#if defined(QUON_HOST_FAULTS)
        if (Planted(Fault::kExceptionsSwallowed)) return result;
#endif
        throw;  // reaches the caller as the library threw it
    } catch (...) {
        throw CallError(ThrownBy(std::string(name) + ": the library"));
    }
    CheckResult(row, result);
    return result;
}

void HostLibrary::CheckResult(const Row& row, const Value& result) {
    // The library's own fault, caught before anyone reads a result of another type than published.
    QUON_DataTypes::DataType& published = row.type.Get()->GetFunctionSubType(0);
    if (!Conforms(result, published))
        throw CallError(std::string(row.entry->name) + ": the library returned " + result.TypeText() +
                        " where its type says " + published.ToString().Text());
}

}  // namespace quon_host
