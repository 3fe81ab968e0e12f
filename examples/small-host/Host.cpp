#include "Host.h"

#include <dlfcn.h>
#include <pthread.h>

#include <cstring>
#include <map>
#include <stdexcept>

#include "Capture.h"
#include "HostCells.h"
#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "hostabi/LibraryDescriptor.h"
#include "strings/tBaseString.h"

namespace smallhost {
namespace {

constexpr std::size_t kCaseStack = 64u << 20;  // the case thread's stack
constexpr std::size_t kOrdinaryRoom = 1u << 20;  // stack room before the limit; the rest is the extension

// The row's type, or null with the reason when it does not parse as a function type.
QUON_DataTypes::DataTypeImp* ParseFunctionType(const char* text, std::string* why) {
    QUON_DataTypes::DataTypeParser parser(text, std::strlen(text));
    QUON_DataTypes::DataType type(parser.ParseType());
    std::string problem;
    if (type->TypeCode() == QUON_DataTypes::TypeCode::kUndefined || parser.PartFailed())
        problem = parser.ErrorMessage().Text().empty() ? "a part of it does not parse" : parser.ErrorMessage().Text();
    else if (type->TypeCode() != QUON_DataTypes::TypeCode::kFunction)
        problem = "it is not a function type";
    if (why) *why = problem;
    return problem.empty() ? type.Take() : nullptr;
}

template <class Fn>
Fn Symbol(void* handle, const char* name) {
    void* address = dlsym(handle, name);
    if (!address) throw std::runtime_error(std::string("the library does not define ") + name);
    return reinterpret_cast<Fn>(address);
}

}  // namespace

struct Host::Impl final : RowCaller {
    struct BoundRow {
        const QUON_ExternLib::FunctionEntry* entry;
        DataType type;  // Undefined when the type string does not parse
    };

    void* handle = nullptr;
    ReleaseLibraryFn releaseLibrary = nullptr;
    Library library;
    std::map<std::string, BoundRow> rows;

    bool HasRow(const std::string& name) const override { return rows.count(name) != 0; }

    Value CallRow(const std::string& name, const std::vector<Value>& args) override {
        BoundRow& row = rows.at(name);
        DataType& type = row.type;
        if (type->TypeCode() != QUON_DataTypes::TypeCode::kFunction)
            throw EvalError(name + ": its type string does not parse, so it cannot be called");
        const std::uint32_t count = type->GetArgumentCount();
        if (args.size() != count)
            throw EvalError(name + ": takes " + std::to_string(count) + " arguments, not " + std::to_string(args.size()));
        for (std::uint32_t i = 0; i < count; ++i)  // the library reads payloads unchecked
            if (std::string wrong = Mismatch(args[i], type->GetFunctionSubType(i + 1)); !wrong.empty())
                throw EvalError(name + ": argument " + std::to_string(i + 1) + " is " + wrong);

        // The frame lives on the heap, never in the value stack, which a callback's push may move.
        std::vector<QUON_Evaluator::CellSlot> frame(count + 1);
        std::uint32_t made = 0;
        auto releaseArguments = [&] {
            for (std::uint32_t i = 1; i <= made; ++i) ReleaseCell(&frame[i]);
        };
        try {
            for (; made < count; ++made)
                MakeCell(&frame[made + 1], args[made], type->GetFunctionSubType(made + 1),
                         CallSite{this, name, static_cast<int>(made + 1)});
        } catch (...) {
            releaseArguments();
            throw;
        }
        if (count > 0)
            frame[0] = frame[1];  // an image of argument 0 for the hand-written adapters; never released
        else
            MakeInvalidCell(&frame[0]);
        QUON_Evaluator::CellSlot result;
        MakeInvalidCell(&result);

        Evaluator& e = *quonHostThreadWords.currentEvaluator;
        const Checkpoint before = Checkpoint::Take(e);
        try {
            row.entry->adapter(reinterpret_cast<EvCell*>(&result), reinterpret_cast<EvCell*>(frame.data()));
        } catch (...) {
            before.Restore(e);  // a callback's frame and arguments may still be on the stack
            ReleaseCell(&result);
            releaseArguments();
            throw;
        }
        releaseArguments();
        try {
            Value value = ToValue(*reinterpret_cast<EvCell*>(&result));
            ReleaseCell(&result);
            return value;
        } catch (...) {
            ReleaseCell(&result);
            throw;
        }
    }

    void Load(const Options& options) {
        handle = dlopen(options.libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) throw std::runtime_error(std::string("cannot load the library: ") + dlerror());
        auto bind = Symbol<BindToParentContextFn>(handle, "BindToParentContext");
        auto libraryData = Symbol<LibraryDataFn>(handle, "LibraryData");
        releaseLibrary = Symbol<ReleaseLibraryFn>(handle, "ReleaseLibrary");
        auto setAllocApi = Symbol<void (*)(void*, void*)>(
            handle, "_ZN3zul12zulStdString11tBaseString20setZulStringAllocAPIEPvS2_");
        if (options.installStringPair) {  // before LibraryData: the library's bodies then live in our pool
            using zul::zulStdString::tBaseString;
            setAllocApi(reinterpret_cast<void*>(&tBaseString::allocFnImp), reinterpret_cast<void*>(&tBaseString::freeFnImp));
        }
        bind(OperationTable());
        const QUON_ExternLib::LibraryDescriptor* d = libraryData();
        if (!d) throw std::runtime_error("LibraryData gave no descriptor");
        if (d->interfaceVersion != QUON_ExternLib::kInterfaceVersion || d->pointerSize != sizeof(void*))
            throw std::runtime_error("the library speaks interface " + std::to_string(d->interfaceVersion) +
                                     " with pointers of " + std::to_string(d->pointerSize) + " bytes; this host speaks " +
                                     std::to_string(QUON_ExternLib::kInterfaceVersion));
        library.name = d->libraryName ? d->libraryName : "";
        library.version = d->libraryVersion.fullString;
        for (std::uint64_t i = 0; i < d->customTypeCount; ++i) {
            library.customTypes.push_back(d->customTypes[i].typeName);
            QUON_DataTypes::ExternalTypeRegistry::Instance().Register(d->customTypes[i].typeName);  // before any parse
        }
        for (std::uint64_t i = 0; i < d->functionCount; ++i) {
            const QUON_ExternLib::FunctionEntry& entry = d->functions[i];
            library.rows.push_back({entry.name, entry.typeString, entry.description ? entry.description : ""});
            rows.emplace(entry.name, BoundRow{&entry, DataType(ParseFunctionType(entry.typeString, nullptr))});
        }
    }

    ~Impl() override {
        rows.clear();
        if (!handle) return;
        if (releaseLibrary) releaseLibrary();
        dlclose(handle);
    }

    Outcome RunCall(const std::string& expression) {
        Outcome outcome;
        RunOnThread(kCaseStack, [&] {
            pthread_attr_t attributes;
            void* stackAddress = nullptr;
            std::size_t stackSize = 0;
            pthread_getattr_np(pthread_self(), &attributes);
            pthread_attr_getstack(&attributes, &stackAddress, &stackSize);
            pthread_attr_destroy(&attributes);

            char here;  // the limit lies that far below where the evaluator is made
            Evaluator* e = NewEvaluator();
            SetThreadStackLow(static_cast<char*>(stackAddress));
            quonHostThreadWords = {reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(&here) - kOrdinaryRoom), e};
            const Checkpoint start = Checkpoint::Take(*e);
            try {
                Value value = Evaluate(*ParseExpression(expression), nullptr, *this);
                outcome.text = PrintValue(value);
            } catch (const std::exception& error) {  // the value, or the exception, ends here
                outcome.threw = true;
                outcome.text = error.what();
            } catch (...) {
                outcome.threw = true;
                outcome.text = "an exception that is not a std::exception";
            }
            if (std::string changed = start.Differences(Checkpoint::Take(*e)); !changed.empty())
                outcome.problems.push_back("the evaluator is not back where it was: " + changed);
            quonHostThreadWords = {nullptr, nullptr};
            DeleteEvaluator(e);
        });
        return outcome;
    }
};

Host::Host(const Options& options) : impl(std::make_unique<Impl>()) { impl->Load(options); }
Host::~Host() = default;
const Host::Library& Host::Descriptor() const { return impl->library; }
Host::Outcome Host::RunCall(const std::string& expression) { return impl->RunCall(expression); }

bool Host::TypeParses(const std::string& text, std::string* why) const {
    DataType type(ParseFunctionType(text.c_str(), why));
    return type->TypeCode() == QUON_DataTypes::TypeCode::kFunction;
}

}  // namespace smallhost
