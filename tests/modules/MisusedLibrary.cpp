// An extension library built with the binding framework whose DescribeLibrary makes the one
// mistake that QUON_MISUSE names (tests/tool/misuses.txt lists them with what the author sees),
// for the refusals of the descriptor's build. Without a mistake it is a good library whose rows
// make the mistakes that only a call can show: an empty owning result, an Int too wide for a
// narrow parameter, a callback kept past its call or called on another thread, a callback's
// result too wide, errors thrown by the author.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "externlib/Error.h"
#include "interface/QuonExtension.h"

namespace misused {

struct Gadget {
    std::int64_t size;
};

// Registered without destroy and toText: the framework's defaults serve.
struct Widget {
    std::int64_t size;
};
struct Other {};

struct Pair {
    std::int32_t first;
    std::int32_t second;
};
// Its literal text gives the second attribute another type than its field.
struct Misdescribed {
    std::int32_t first;
    std::int32_t second;
};
// Its binding leaves out `cache` on purpose.
struct Cached {
    std::int64_t value;
    std::int64_t cache;
};

std::unique_ptr<Gadget> Make(std::int64_t size) {
    if (size == 0) return nullptr;
    return std::make_unique<Gadget>(Gadget{size});
}

std::unique_ptr<Widget> MakeWidget(std::int64_t size) {
    return std::make_unique<Widget>(Widget{size});
}

std::int64_t Gcd(std::int64_t a, std::int64_t b) {
    while (b != 0) a = std::exchange(b, a % b);
    return a;
}

std::int64_t Length(std::string_view text) {
    return static_cast<std::int64_t>(text.size());
}

std::int64_t Byte(std::uint8_t value) {
    return value;
}
std::int64_t Short(std::int16_t value) {
    return value;
}
std::int64_t Size(std::uint64_t value) {
    return static_cast<std::int64_t>(value & 0x7FFFFFFF);
}

std::int64_t Second(Misdescribed value) {
    return value.second;
}
std::int64_t CachedValue(Cached value) {
    return value.value + value.cache;  // the cache reads as 0
}

// A callback kept past its call.
std::function<int(int)> kept;
std::int64_t Store(std::function<int(int)> f) {
    kept = f;
    return f(1);
}
std::int64_t Recall(std::int64_t x) {
    return kept(static_cast<int>(x));
}

// A callback called on a thread of the library's own: the error it gets comes back as this call's.
std::int64_t Elsewhere(std::function<int(int)> f) {
    std::string error;
    std::thread([&] {
        try {
            f(1);
        } catch (const std::exception& e) {
            error = e.what();
        }
    }).join();
    throw std::runtime_error("on another thread: " + error);
}

std::int64_t NarrowResult(std::function<std::uint8_t()> f) {
    return f();
}

std::int64_t Fail(std::int64_t how) {
    if (how == 1) throw QUON_ExternLib::Error("the gadget is broken");
    if (how == 2) throw QUON_ExternLib::Error(QUON_Evaluator::ErrorCode::kNoSuchAttribute, "size");
    if (how == 3) throw std::runtime_error("");
    return how;
}

void Destroy(void* object) {
    delete static_cast<Gadget*>(object);
}

zul::InterModuleProxy<std::string>* Text(void* object) {
    return new zul::InterModuleProxy<std::string>("Gadget(" + std::to_string(static_cast<Gadget*>(object)->size) + ")");
}

bool Misuse(const char* name) {
    const char* misuse = std::getenv("QUON_MISUSE");
    return misuse != nullptr && std::strcmp(misuse, name) == 0;
}

}  // namespace misused

template <>
struct QUON_ExternLib::RecordBinding<misused::Pair> {
    static constexpr auto kFields = std::make_tuple(RecordField("first", &misused::Pair::first),
                                                    RecordField("second", &misused::Pair::second));
    static constexpr const char* kTypeText =
        "Record[second: Int, first : Int]";  // another order: the same type
};

template <>
struct QUON_ExternLib::RecordBinding<misused::Misdescribed> {
    static constexpr auto kFields = std::make_tuple(RecordField("first", &misused::Misdescribed::first),
                                                    RecordField("second", &misused::Misdescribed::second));
    static constexpr const char* kTypeText = "Record[ first: Int, second: String ]";
};

template <>
struct QUON_ExternLib::RecordBinding<misused::Cached> {
    static constexpr auto kFields = std::make_tuple(RecordField("value", &misused::Cached::value));
    static constexpr const char* kTypeText = nullptr;
    static constexpr bool kLeavesFieldsOut = true;
};

namespace misused {
std::int64_t First(Pair pair) {
    return pair.first;
}
}  // namespace misused

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    using namespace misused;
    if (!Misuse("unnamed")) library.Name("Misused", zul::VersionInfo(1, 0, 0, ""));
    static const CustomTypeEntry gadgetRow{"Gadget", nullptr, &Destroy, &Text, 0};
    static const CustomTypeEntry widgetRow{"Widget", nullptr, nullptr, nullptr, 0};
    if (!Misuse("unregistered")) library.CustomType<Gadget>(gadgetRow);
    library.CustomType<Widget>(widgetRow);
    if (Misuse("type-twice")) library.CustomType<Other>(gadgetRow);
    if (Misuse("class-twice"))
        library.CustomType<Gadget>(CustomTypeEntry{"Gizmo", nullptr, &Destroy, &Text, 0});
    if (Misuse("builtin-type"))
        library.CustomType<Other>(CustomTypeEntry{"Int", nullptr, nullptr, nullptr, 0});
    if (Misuse("type-word"))
        library.CustomType<Other>(CustomTypeEntry{"my type", nullptr, nullptr, nullptr, 0});
    if (Misuse("untyped"))
        library.CustomType<Other>(CustomTypeEntry{nullptr, nullptr, nullptr, nullptr, 0});

    library.Add<&Make>("make", "A gadget of the given size.");
    if (Misuse("duplicate")) library.Add<&Make>("make", "The same name again.");
    if (Misuse("undefined")) library.AddRow({"broken", kGenerated<&Make>, "( Int -> Undefined )", "..."});
    if (Misuse("spaced-name")) library.Add<&Gcd>("my func", "...");
    if (Misuse("digit-name")) library.Add<&Gcd>("1abc", "...");
    if (Misuse("empty-name")) library.Add<&Gcd>("", "...");
    if (Misuse("literal-types")) library.Add<&Gcd>("gcdF", "...", "( Float * Float -> Int )");
    if (Misuse("literal-count")) library.Add<&Gcd>("gcd1", "...", "( Int -> Int )");
    if (Misuse("literal-result")) library.Add<&Length>("length", "...", "( Int -> String )");
    if (Misuse("literal-parse")) library.Add<&Gcd>("gcdP", "...", "( Int * Int -> Itn )");
    if (Misuse("literal-trailing")) library.Add<&Gcd>("gcdT", "...", "( Int * Int -> Int ) Int");
    if (Misuse("record-literal")) library.Add<&Second>("second", "...");
    if (Misuse("parameter-count")) library.Add<&Gcd>("gcdN", "...", {"a"});
    if (Misuse("parameter-word")) library.Add<&Gcd>("gcdW", "...", {"a", "b c"});

    // Accepted: a literal that differs in spacing and attribute order only, a name from a text
    // that ends before the library does, no description, a binding that leaves a field out.
    library.Add<&Gcd>("gcd", "...", "(Int*Int->Int)");
    library.Add<&First>("first", "...", "( Record[ second: Int, first: Int ] -> Int )");
    library.Add<&MakeWidget>("widget", "A widget, shown by its type's name.");
    library.Add<&Length>(std::string("len").append("gth").c_str(), nullptr);
    library.Add<&CachedValue>("cached", "...");
    library.Add<&Byte>("byte", "...");
    library.Add<&Short>("short", "...");
    library.Add<&Size>("size", "...");
    library.Add<&Store>("store", "...");
    library.Add<&Recall>("recall", "...");
    library.Add<&Elsewhere>("elsewhere", "...");
    library.Add<&NarrowResult>("narrowResult", "...");
    library.Add<&Fail>("fail", "...");
}
