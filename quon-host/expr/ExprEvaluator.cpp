#include "quon-host/expr/ExprEvaluator.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <span>

#include "datatypes/DataTypeCodes.h"
#include "host/HostFunction.h"
#include "host/LibraryBoundary.h"
#include "quon-host/expr/ExprError.h"
#include "quon-host/expr/Operators.h"
#include "quon-host/expr/Parser.h"

namespace quon_host::expr {

using Kind = Node::Kind;

namespace {

// The lowest address this thread's evaluation may reach: its stack's bottom, with room kept for
// the frames below the last check (a callback's way through the library's adapter and the host's
// function back to the evaluator, a library row's own frames).
std::uintptr_t StackFloor() {
    thread_local const std::uintptr_t floor = [] {
        constexpr std::uintptr_t kRoom = 128 * 1024;
        void* low = nullptr;
        std::size_t size = 0;
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
            pthread_attr_getstack(&attributes, &low, &size);
            pthread_attr_destroy(&attributes);
        }
        return low == nullptr || size <= kRoom ? std::uintptr_t{0} : reinterpret_cast<std::uintptr_t>(low) + kRoom;
    }();
    return floor;
}

// Values of a call's arguments or a lambda's parameters: up to four in place, so that the common
// calls allocate nothing for them, and only the values added are ever made.
class ValueList {
public:
    ValueList() = default;
    ValueList(const ValueList&) = delete;
    ValueList& operator=(const ValueList&) = delete;
    ~ValueList() {
        for (std::size_t i = 0; i < std::min(count, kInline); ++i) InPlace()[i].~Value();
    }

    void Add(Value value) {
        if (count < kInline) {
            ::new (InPlace() + count) Value(std::move(value));
        } else {
            if (count == kInline)
                for (std::size_t i = 0; i < kInline; ++i) more.push_back(std::move(InPlace()[i]));
            more.push_back(std::move(value));
        }
        ++count;
    }
    std::span<const Value> Span() const {
        return count <= kInline ? std::span<const Value>(InPlace(), count) : std::span<const Value>(more);
    }

private:
    static constexpr std::size_t kInline = 4;
    Value* InPlace() { return std::launder(reinterpret_cast<Value*>(storage)); }
    const Value* InPlace() const { return std::launder(reinterpret_cast<const Value*>(storage)); }

    alignas(Value) unsigned char storage[kInline * sizeof(Value)];
    std::vector<Value> more;  // every value, once there are more than kInline
    std::size_t count = 0;
};

}  // namespace

struct ExprEvaluator::Scope {
    std::shared_ptr<const std::vector<std::string>> names;  // the lambda's, shared by its calls
    ValueList values;
    ScopePtr outer;

    const Value* Find(std::string_view name) const {
        for (const Scope* scope = this; scope != nullptr; scope = scope->outer.get()) {
            const std::span<const Value> values = scope->values.Span();
            for (std::size_t i = scope->names->size(); i-- > 0;)
                if ((*scope->names)[i] == name) return &values[i];
        }
        return nullptr;
    }
};

namespace {

std::string Arguments(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

}  // namespace

std::string FailureText() {
    try {
        throw;
    } catch (const std::bad_array_new_length&) {
        return "an array of that size cannot be made";
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::bad_function_call&) {
        return "a function without a body was called";
    } catch (const std::exception& error) {  // ExprError, CallError, zul::Exception, ...
        if (*error.what() != '\0') return error.what();
        // An empty text would leave the reader nothing to go on: say what was thrown.
        return ThrownBy("the library");
    } catch (...) {
        return "something that is not an exception was thrown";
    }
}

Value CallFunction(const HostLibrary& library, const HostLibrary::Row& row,
                   std::span<const Value> arguments, std::uint64_t conforming) {
    try {
        return library.Call(row, arguments, conforming);
    } catch (const CallError&) {
        throw;  // named already (by the host, or by the call inside a callback that failed)
    } catch (const std::exception& error) {
        const std::string name = row.entry->name, what = FailureText();
        throw RowError(what.rfind(name + ":", 0) == 0 ? what : name + ": " + what, error.what());
    }
}

namespace {

// Whether the result of `producer` is known to be of `row`'s parameter `argument`, with `known`
// the call site's memory of the last producer there.
bool KnownToConform(std::pair<const HostLibrary::Row*, bool>& known, const HostLibrary::Row& producer,
                    const HostLibrary::Row& row, std::size_t argument) {
    if (known.first != &producer) {
        // Compared once per call site and producing row, by canonical text; a parameter of
        // function type is never known (the host wraps each function argument for the call).
        QUON_DataTypes::DataTypeImp& type = *row.type.Get();
        QUON_DataTypes::DataTypeImp& produced = *producer.type.Get();
        bool same = false;
        if (type.TypeCode() == QUON_DataTypes::TypeCode::kFunction &&
            produced.TypeCode() == QUON_DataTypes::TypeCode::kFunction &&
            argument < type.GetArgumentCount()) {
            const QUON_DataTypes::DataType& parameter =
                type.GetFunctionSubType(static_cast<std::uint32_t>(argument + 1));
            const QUON_DataTypes::DataType& result = produced.GetFunctionSubType(0);
            same = parameter.Get()->TypeCode() != QUON_DataTypes::TypeCode::kFunction &&
                   parameter.ToString().Text() == result.ToString().Text();
        }
        known = {&producer, same};
    }
    return known.second;
}

}  // namespace

Value Apply(const Value& function, const std::vector<Value>& arguments, std::string_view what,
            std::size_t column) {
    const HostFunction* object = FunctionOf(function);
    if (object == nullptr)
        throw ExprError(std::string(what) + " is " + function.TypeText() + ", not a function", column);
    if (object->arity != arguments.size())
        throw ExprError(std::string(what) + " takes " + Arguments(object->arity) + ", but is called with " +
                            Arguments(arguments.size()),
                        column);
    return object->body(std::span<const Value>(arguments));
}

ExprEvaluator::ExprEvaluator(const HostLibrary& library, CallCheck check, std::uint64_t maxSteps)
    : library(library), check(std::move(check)), maxSteps(maxSteps) {}

Value ExprEvaluator::Evaluate(std::string_view text) {
    return Evaluate(*Parse(text));
}

Value ExprEvaluator::Evaluate(const Node& node) {
    steps = 0;
    callSites.clear();  // a node of an earlier tree may have left its address to a new one
    return Eval(node, nullptr);
}

Value ExprEvaluator::Eval(const Node& node, const ScopePtr& scope) {
    // Between steps the evaluator is in a state it can leave, as an error leaves it.
    if (theInterrupt.load(std::memory_order_relaxed)) [[unlikely]] {
        theInterrupt.store(false, std::memory_order_relaxed);
        throw ExprError("interrupted");
    }
    if (++steps > maxSteps)
        throw ExprError("evaluation took more than " + std::to_string(maxSteps) + " steps");
    struct Level {  // one level of nesting for as long as it lives
        explicit Level(std::size_t& depth, std::size_t column) : depth(depth) {
            if (++depth > kMaxDepth) {
                --depth;
                throw ExprError("evaluation nested deeper than " + std::to_string(kMaxDepth) + " levels",
                                column);
            }
            // The count bounds the nesting; the thread's stack may still be smaller than it needs.
            if (reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < StackFloor()) {
                --depth;
                throw ExprError("evaluation needs more stack than this thread has (nested " +
                                    std::to_string(depth) + " levels)",
                                column);
            }
        }
        ~Level() { --depth; }
        std::size_t& depth;
    } level(depth, node.column);

    switch (node.kind) {
        case Kind::Literal:
            return node.value;
        case Kind::Array:
            return Value::Array(EvalAll(node, scope));
        case Kind::Record: {
            std::vector<std::pair<std::string, Value>> attributes;
            for (std::size_t i = 0; i < node.names.size(); ++i)
                attributes.emplace_back(node.names[i], Eval(*node.children[i], scope));
            return Value::Record(attributes);
        }
        case Kind::Name: {
            const Value* value = scope != nullptr ? scope->Find(node.name) : nullptr;
            if (value == nullptr) throw ExprError("unknown name '" + node.name + "'", node.column);
            return *value;
        }
        case Kind::Call:
            return EvalCall(node, scope);
        case Kind::Lambda:
            return EvalLambda(node, scope);
        case Kind::Unary:
            return Negate(Eval(*node.children[0], scope), node.column);
        case Kind::Binary: {
            if (node.children[0]->kind != Kind::Binary) {
                const Value left = Eval(*node.children[0], scope);
                return ApplyOperator(node.name, left, Eval(*node.children[1], scope), node.column);
            }
            // A left-deep chain (1 + 2 + 3 ...) is one level of nesting: its left spine is walked,
            // not recursed into.
            std::vector<const Node*> chain{&node};
            while (chain.back()->children[0]->kind == Kind::Binary) {
                chain.push_back(chain.back()->children[0].get());
                if (++steps > maxSteps)
                    throw ExprError("evaluation took more than " + std::to_string(maxSteps) + " steps");
            }
            Value left = Eval(*chain.back()->children[0], scope);
            for (auto link = chain.rbegin(); link != chain.rend(); ++link)
                left = ApplyOperator((*link)->name, left, Eval(*(*link)->children[1], scope), (*link)->column);
            return left;
        }
        case Kind::Index:
            return EvalIndex(node, scope);
    }
    throw ExprError("unknown expression form", node.column);
}

std::vector<Value> ExprEvaluator::EvalAll(const Node& node, const ScopePtr& scope) {
    std::vector<Value> values;
    values.reserve(node.children.size());
    for (const NodePtr& child : node.children) values.push_back(Eval(*child, scope));
    return values;
}

Value ExprEvaluator::EvalCall(const Node& node, const ScopePtr& scope) {
    const HostLibrary::Row* produced = nullptr;
    Value result = EvalCallOf(node, scope, produced);
    resultRow = produced;
    return result;
}

Value ExprEvaluator::EvalCallOf(const Node& node, const ScopePtr& scope, const HostLibrary::Row*& produced) {
    const std::string& name = node.name;
    if (const Value* function = scope != nullptr ? scope->Find(name) : nullptr)
        return Apply(*function, EvalAll(node, scope), "'" + name + "'", node.column);

    if (name == "map" || name == "len") {
        const std::size_t count = name == "map" ? 2 : 1;
        if (node.children.size() != count)
            throw ExprError(
                name + " takes " + Arguments(count) + ", given " + std::to_string(node.children.size()),
                node.column);
        const std::vector<Value> arguments = EvalAll(node, scope);
        const Value::Kind kind = arguments[0].GetKind();
        if (name == "len") {
            if (kind == Value::Kind::String)
                return Value::Int(static_cast<std::int64_t>(arguments[0].AsString().size()));
            if (kind != Value::Kind::Array)
                throw ExprError(
                    "len: argument must be an Array or a String, given " + arguments[0].TypeText(),
                    node.column);
            return Value::Int(static_cast<std::int64_t>(arguments[0].Count()));
        }
        if (kind != Value::Kind::Array)
            throw ExprError("map: argument 1 must be an Array, given " + arguments[0].TypeText(),
                            node.column);
        std::vector<Value> mapped;
        for (const Value& element : arguments[0].Elements())
            mapped.push_back(Apply(arguments[1], {element}, "map's function", node.column));
        return Value::Array(mapped);
    }

    CallSite& site = callSites[&node];
    if (site.row == nullptr) {
        site.row = library.Find(name);
        site.producers.assign(node.children.size(), {nullptr, false});
    }
    // An unknown name: the library's own refusal, with the closest row's name.
    if (site.row == nullptr) return library.Call(name, {});
    const HostLibrary::Row& row = *site.row;
    ValueList arguments;
    std::uint64_t conforming = 0;
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        const Node& child = *node.children[i];
        arguments.Add(Eval(child, scope));
        const HostLibrary::Row* producer = child.kind == Kind::Call ? resultRow : nullptr;
        if (producer != nullptr && i < 64 && KnownToConform(site.producers[i], *producer, row, i))
            conforming |= std::uint64_t{1} << i;
    }
    if (check) check(name, arguments.Span());
    Value result = CallFunction(library, row, arguments.Span(), conforming);
    produced = &row;
    return result;
}

Value ExprEvaluator::EvalLambda(const Node& node, const ScopePtr& scope) {
    return MakeFunction(node.names.size(),
                        [this, names = std::make_shared<const std::vector<std::string>>(node.names),
                         body = node.children[0], scope](auto arguments) {
                            auto inner = std::make_shared<Scope>();
                            inner->names = names;
                            for (const Value& argument : arguments) inner->values.Add(argument);
                            inner->outer = scope;
                            return Eval(*body, inner);
                        });
}

Value ExprEvaluator::EvalIndex(const Node& node, const ScopePtr& scope) {
    const Value array = Eval(*node.children[0], scope);
    const Value index = Eval(*node.children[1], scope);
    if (array.GetKind() != Value::Kind::Array)
        throw ExprError("only an Array can be indexed, given " + array.TypeText(), node.column);
    if (index.GetKind() != Value::Kind::Int)
        throw ExprError("an index must be an Int, given " + index.TypeText(), node.column);
    const std::int64_t i = index.AsInt();
    if (i < 0 || static_cast<std::uint64_t>(i) >= array.Count())
        throw ExprError("index " + std::to_string(i) + " is out of range for an array of " +
                            std::to_string(array.Count()) + (array.Count() == 1 ? " element" : " elements"),
                        node.column);
    return array.Element(static_cast<std::size_t>(i));
}

}  // namespace quon_host::expr
