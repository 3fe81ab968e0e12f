// HelloExtension: a small Quon extension library, in the order of the tutorial in
// docs/extension-guide.md. Each function is plain C++; the generated adapters convert the host's
// cells to and from the native types, and each row's type string is derived from the native
// signature unless the row gives a literal one.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "interface/QuonExtension.h"

namespace hello {

using QUON_ExternLib::ArrayView;
using QUON_ExternLib::NewArray;
using QUON_ExternLib::tString;

// Step 1, numbers. Int is 64-bit; a 32-bit parameter takes the argument's low 32 bits, and
// 8- and 16-bit and unsigned 64-bit parameters refuse an Int they cannot hold.
std::int64_t Gcd(std::int64_t a, std::int64_t b) {
    std::uint64_t x = a < 0 ? 0 - static_cast<std::uint64_t>(a) : static_cast<std::uint64_t>(a);
    std::uint64_t y = b < 0 ? 0 - static_cast<std::uint64_t>(b) : static_cast<std::uint64_t>(b);
    while (y != 0) x = std::exchange(y, x % y);
    return static_cast<std::int64_t>(x);
}

double Hypot(double x, double y) {
    return std::hypot(x, y);
}

// A failure is an exception; QUON_ExternLib::Error is the framework's own, shown after the row's name.
std::int64_t Divide(std::int64_t a, std::int64_t b) {
    if (b == 0) throw QUON_ExternLib::Error("division by zero");
    return a / b;
}

// Step 2, strings. A std::string_view (or const char*) argument reads the host's text in place;
// a std::string result is copied into a new host string.
std::string Greet(std::string_view name) {
    return "Hello, " + std::string(name) + "!";
}

// A tString argument is this library's own pooled copy of the text, free to change and return.
tString Shout(tString text) {
    std::string upper = text.Text();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tString(upper);
}

// Step 3, arrays. An argument is an ArrayView, borrowed for the call; a result is a NewArray,
// made with its count, filled with Set and returned (a view cannot be returned).
std::int64_t SumInts(ArrayView<long long> values) {
    std::uint64_t sum = 0;  // wraps around like Quon's Int
    for (long long value : values) sum += static_cast<std::uint64_t>(value);
    return static_cast<std::int64_t>(sum);
}

NewArray<long long> Reverse(ArrayView<long long> values) {
    const std::int64_t count = values.Count();
    NewArray<long long> out(count);
    for (std::int64_t i = 0; i < count; ++i) out.Set(i, values[count - 1 - i]);
    return out;
}

// A std::vector result is copied into a new array.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (end > start) words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// Step 4, records. Point travels as Record[ x: Float, y: Float ] (its RecordBinding is below).
struct Point {
    double x;
    double y;
};

Point Midpoint(Point a, Point b) {
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

double Norm(Point p) {
    return std::hypot(p.x, p.y);
}

// Step 5, callbacks. A Quon function argument arrives as a std::function; each call evaluates it.
std::int32_t ApplyTwice(std::function<int(int)> f, std::int32_t x) {
    return f(f(x));
}

// Step 6, a custom type: an opaque object the host holds, destroys with its destructor and shows
// as Text gives it (both registered with Class below).
class Counter {
public:
    explicit Counter(std::int64_t start) : value(start) {}
    // A member function is a row whose first parameter is the object.
    std::int64_t Next() { return value++; }
    std::string Text() const { return "Counter(" + std::to_string(value) + ")"; }

private:
    std::int64_t value;  // the next number Next returns
};

// A std::unique_ptr result gives the new object to the host (a bare pointer result is refused:
// it says nothing of who owns the object).
std::unique_ptr<Counter> NewCounter(std::int64_t start) {
    return std::make_unique<Counter>(start);
}

// A free function of a Counter* is a row too (the object borrowed for the call).
bool IsPositive(Counter* counter) {
    return counter->Next() > 0;
}

// Step 7's low-level row: a type registered with a hand-written destroy and text, which
// give the host a new InterModuleProxy it destroys.
struct Tally {
    std::int64_t count = 0;
};

std::unique_ptr<Tally> NewTally() {
    return std::make_unique<Tally>();
}

void DestroyTally(void* object) {
    delete static_cast<Tally*>(object);
}

zul::InterModuleProxy<std::string>* TallyText(void* object) {
    return new zul::InterModuleProxy<std::string>("Tally(" + std::to_string(static_cast<Tally*>(object)->count) + ")");
}

// Containers and enums: a std::vector parameter is a copy of the elements, returned as a new
// array; an enum is an Int, checked against the range the library states below.
std::vector<std::int64_t> Sorted(std::vector<std::int64_t> values) {
    std::sort(values.begin(), values.end());
    return values;
}

enum class Weekday { Monday, Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday };

bool IsWeekend(Weekday day) {
    return day == Weekday::Saturday || day == Weekday::Sunday;
}

}  // namespace hello

template <> struct QUON_ExternLib::EnumRange<hello::Weekday> {
    static constexpr hello::Weekday kFirst = hello::Weekday::Monday;
    static constexpr hello::Weekday kLast = hello::Weekday::Sunday;
};

template <>
struct QUON_ExternLib::RecordBinding<hello::Point> {
    static constexpr auto kFields =
        std::make_tuple(RecordField("x", &hello::Point::x), RecordField("y", &hello::Point::y));
    static constexpr const char* kTypeText = nullptr;  // derived: "Record[ x: Float, y: Float ]"
};

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    using namespace hello;
    library.Name("HelloExtension", zul::VersionInfo(1, 0, 0, ""));
    // Before any row that names Counter: the classes a row names are resolved when it is added.
    library.Class<Counter, &Counter::Text>("Counter");

    library.Add<&Gcd>("gcd", "Greatest common divisor of two Ints.", {"a", "b"});  // ( Int * Int -> Int )
    library.Add<&Hypot>("hypot", "Length of the hypotenuse.");              // ( Float * Float -> Float )
    library.Add<&::labs>("labs", "The absolute value (the C library's labs)."); // ( Int -> Int )
    library.Add<[](std::int64_t x) { return x * x; }>("square", "x * x.");  // ( Int -> Int )
    library.Add<&Divide>("divide", "a / b, rounded toward zero.");          // ( Int * Int -> Int )
    library.Add<&Greet>("greet", "A greeting for a name.");                 // ( String -> String )
    library.Add<&Shout>("shout", "The text in capitals.");                  // ( String -> String )
    library.Add<&SumInts>("sumInts", "Sum of an Int array.");               // ( Array[Int] -> Int )
    library.Add<&Reverse>("reverse", "The elements in reverse order.");     // ( Array[Int] -> Array[Int] )
    library.Add<&Words>("words", "The words of a text, split at spaces.");  // ( String -> Array[String] )
    library.Add<&Midpoint>("midpoint", "The point halfway between two points.");
    library.Add<&Norm>("norm", "Distance of a point from the origin.");
    library.Add<&ApplyTwice>("applyTwice", "f(f(x)).", {"f", "x"});  // ( ( Int -> Int ) * Int -> Int )
    library.Add<&NewCounter>("newCounter", "A counter starting at the given Int.");  // ( Int -> Counter )
    library.Add<&Counter::Next>("next", "The counter's number, then one more.");     // ( Counter -> Int )
    library.Add<&IsPositive>("isPositive", "Whether the counter's next number is above 0.");
    // Step 7: one adapter under a second name, with a literal type text.
    library.AddRow({"total", kGenerated<&SumInts>, "( Array[Int] -> Int )", "Same as sumInts."});
    // ... and a custom type registered with its row as the host reads it.
    static const CustomTypeEntry tallyRow{"Tally", nullptr, &DestroyTally, &TallyText, 0};
    library.CustomType<Tally>(tallyRow);
    library.Add<&NewTally>("newTally", "A tally at 0.");  // (  -> Tally )
    library.Add<&Sorted>("sorted", "The Ints in ascending order.");            // ( Array[Int] -> Array[Int] )
    library.Add<&IsWeekend>("isWeekend", "Whether the day (0 is Monday) is Saturday or Sunday.");  // ( Int -> Bool )
}
