// An extension library whose rows take and return the standard containers, records by const
// reference and in arrays, Bools in arrays, enums, unsigned and float numbers: one or more rows per
// native type rule, called by tests/modules/native-types/*.cases with values both ways, empty and
// large inputs, the errors a call can end in and each row's derived type string. The row makers
// (seq, people, ...) build the large inputs inside the library, so that a case stays one line.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <numeric>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "externlib/Error.h"
#include "interface/QuonExtension.h"

namespace native {

using QUON_ExternLib::ArrayView;
using QUON_ExternLib::Error;

struct Person {
    std::string name;
    std::int64_t age;
};

// A record with an array attribute.
struct Team {
    std::string name;
    std::vector<std::int64_t> scores;
};

struct Counter {
    std::int64_t value;
};

enum class Color : std::int32_t { Red, Green, Blue };   // range-checked (EnumRange below)
enum class Shade : std::uint8_t { Light = 1, Dark = 2 };  // checked by its underlying type only
enum Level { kLow = 1, kHigh = 5 };                       // a plain enum: any value of its type

}  // namespace native

template <>
struct QUON_ExternLib::RecordBinding<native::Person> {
    static constexpr auto kFields =
        std::make_tuple(RecordField("name", &native::Person::name), RecordField("age", &native::Person::age));
    static constexpr const char* kTypeText = nullptr;
};

template <>
struct QUON_ExternLib::RecordBinding<native::Team> {
    static constexpr auto kFields =
        std::make_tuple(RecordField("name", &native::Team::name), RecordField("scores", &native::Team::scores));
    static constexpr const char* kTypeText = nullptr;
};

template <>
struct QUON_ExternLib::EnumRange<native::Color> {
    static constexpr native::Color kFirst = native::Color::Red;
    static constexpr native::Color kLast = native::Color::Blue;
};

namespace native {

// Sums wrap around like Quon's Int.
std::int64_t WrappingSum(const auto& values) {
    std::uint64_t sum = 0;
    for (auto value : values) sum += static_cast<std::uint64_t>(value);
    return static_cast<std::int64_t>(sum);
}

// std::vector of numbers.
std::int64_t SumInts(std::vector<std::int64_t> values) {
    return WrappingSum(values);
}
std::int64_t SumIntsRef(const std::vector<std::int64_t>& values) {
    return WrappingSum(values);
}
std::vector<std::int64_t> Seq(std::int64_t count) {
    std::vector<std::int64_t> values(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    std::iota(values.begin(), values.end(), 0);
    return values;
}
double SumFloats(std::vector<double> values) {
    return std::accumulate(values.begin(), values.end(), 0.0);
}
std::vector<double> SeqF(std::int64_t count) {
    std::vector<double> values;
    for (std::int64_t i = 0; i < count; ++i) values.push_back(static_cast<double>(i) / 2);
    return values;
}
std::vector<float> Scale32(std::vector<float> values, float factor) {
    for (float& value : values) value *= factor;
    return values;
}
std::vector<std::uint8_t> Bytes(std::vector<std::uint8_t> values) {
    std::reverse(values.begin(), values.end());
    return values;
}
// Each element times 65537: 65535 becomes 4294967295, an unsigned 32-bit result element.
std::vector<std::uint32_t> Widen(std::vector<std::uint16_t> values) {
    std::vector<std::uint32_t> out;
    for (std::uint16_t value : values) out.push_back(static_cast<std::uint32_t>(value) * 65537u);
    return out;
}

// Bools.
std::int64_t CountTrue(std::vector<bool> values) {
    return std::count(values.begin(), values.end(), true);
}
std::vector<bool> Negate(const std::vector<bool>& values) {
    std::vector<bool> out;
    for (bool value : values) out.push_back(!value);
    return out;
}
std::vector<bool> Alternate(std::int64_t count) {
    std::vector<bool> values;
    for (std::int64_t i = 0; i < count; ++i) values.push_back(i % 2 == 0);
    return values;
}
std::int64_t CountTrueView(ArrayView<bool> values) {
    std::int64_t count = 0;
    for (bool value : values) count += value ? 1 : 0;
    return count;
}

// Strings.
std::string Join(const std::vector<std::string>& words, std::string_view separator) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : std::string(separator)) + word;
    return out;
}
std::vector<std::string> Words(std::int64_t count) {
    std::vector<std::string> words;
    for (std::int64_t i = 0; i < count; ++i) words.push_back("w" + std::to_string(i));
    return words;
}
std::int64_t TotalLength(std::vector<std::string> words) {
    std::int64_t length = 0;
    for (const std::string& word : words) length += static_cast<std::int64_t>(word.size());
    return length;
}
// Borrowed elements: each views its element's text for the call.
std::string Longest(std::vector<std::string_view> words) {
    std::string_view longest;
    for (std::string_view word : words)
        if (word.size() > longest.size()) longest = word;
    return std::string(longest);
}

// Records in arrays and by const reference.
Person Oldest(const std::vector<Person>& people) {
    if (people.empty()) throw Error("nobody is oldest of no one");
    return *std::max_element(people.begin(), people.end(),
                             [](const Person& a, const Person& b) { return a.age < b.age; });
}
std::vector<std::string> Names(std::vector<Person> people) {
    std::vector<std::string> names;
    for (Person& person : people) names.push_back(std::move(person.name));
    return names;
}
std::vector<Person> People(std::int64_t count) {
    std::vector<Person> people;
    for (std::int64_t i = 0; i < count; ++i) people.push_back({"p" + std::to_string(i), i});
    return people;
}
std::int64_t TotalAge(ArrayView<Person> people) {
    std::int64_t total = 0;
    for (const Person& person : people) total += person.age;
    return total;
}
Person PersonAt(ArrayView<Person> people, std::int64_t index) {
    return people[index];
}
std::string Greet(const Person& person) {
    return "Hello, " + person.name + " (" + std::to_string(person.age) + ")";
}
const Person& Same(const Person& person) {
    return person;
}
std::int64_t Best(Team team) {
    if (team.scores.empty()) return -1;
    return *std::max_element(team.scores.begin(), team.scores.end());
}
Team MakeTeam(std::string name, std::int64_t count) {
    return {std::move(name), Seq(count)};
}

// Custom objects, borrowed.
std::unique_ptr<Counter> MakeCounter(std::int64_t value) {
    return std::make_unique<Counter>(Counter{value});
}
// Each counter goes up by one; the total after.
std::int64_t BumpAll(std::vector<Counter*> counters) {
    std::int64_t total = 0;
    for (Counter* counter : counters) total += ++counter->value;
    return total;
}

// Spans and fixed-size arrays.
std::int64_t SpanSum(std::span<const std::int64_t> values) {
    return WrappingSum(values);
}
double SpanMean(std::span<const double> values) {
    if (values.empty()) throw Error("no mean of no values");
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}
double Dot3(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
std::array<long long, 2> Swap2(std::array<long long, 2> pair) {
    return {pair[1], pair[0]};
}

// Nested vectors.
std::vector<std::vector<std::int64_t>> Transpose(const std::vector<std::vector<std::int64_t>>& rows) {
    if (rows.empty()) return {};
    std::vector<std::vector<std::int64_t>> columns(rows[0].size());
    for (const auto& row : rows) {
        if (row.size() != columns.size()) throw Error("the rows differ in length");
        for (std::size_t c = 0; c < row.size(); ++c) columns[c].push_back(row[c]);
    }
    return columns;
}
std::vector<std::vector<std::int64_t>> Matrix(std::int64_t rows, std::int64_t columns) {
    std::vector<std::vector<std::int64_t>> matrix;
    for (std::int64_t r = 0; r < rows; ++r) {
        matrix.emplace_back();
        for (std::int64_t c = 0; c < columns; ++c) matrix.back().push_back(r * columns + c);
    }
    return matrix;
}
std::int64_t Total(const std::vector<std::vector<std::int64_t>>& rows) {
    std::int64_t total = 0;
    for (const auto& row : rows) total += WrappingSum(row);
    return total;
}

// Callbacks by const reference, with containers crossing both ways.
std::vector<std::int64_t> ApplyEach(const std::function<std::int64_t(std::int64_t)>& f,
                                    const std::vector<std::int64_t>& values) {
    std::vector<std::int64_t> out;
    for (std::int64_t value : values) out.push_back(f(value));
    return out;
}
std::vector<std::int64_t> TwiceThrough(
    const std::function<std::vector<std::int64_t>(const std::vector<std::int64_t>&)>& f,
    std::vector<std::int64_t> values) {
    return f(f(values));
}

// Enums.
Color NextColor(Color color) {
    return static_cast<Color>((static_cast<int>(color) + 1) % 3);
}
std::vector<Color> Reversed(std::vector<Color> colors) {
    std::reverse(colors.begin(), colors.end());
    return colors;
}
Shade Darker(Shade shade) {
    return static_cast<Shade>(static_cast<std::uint8_t>(shade) + 1);
}
Level Raise(Level level) {
    return static_cast<Level>(level + 1);
}

// Unsigned and float numbers.
std::uint32_t U32Max() {
    return 4294967295u;
}
std::uint64_t U64Add(std::uint64_t a, std::uint64_t b) {
    return a + b;
}
float HalfF(float value) {
    return value / 2;
}

}  // namespace native

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    using namespace native;
    library.Name("NativeTypes", zul::VersionInfo(1, 0, 0, ""));
    static const CustomTypeEntry counterRow{"Counter", nullptr, nullptr, nullptr, 0};
    library.CustomType<Counter>(counterRow);

    library.Add<&SumInts>("sumInts", "std::vector<std::int64_t>");
    library.Add<&SumIntsRef>("sumIntsRef", "const std::vector<std::int64_t>&");
    library.Add<&Seq>("seq", "0 .. count - 1");
    library.Add<&SumFloats>("sumFloats", "std::vector<double>");
    library.Add<&SeqF>("seqF", "0, 0.5, 1, ...");
    library.Add<&Scale32>("scale32", "std::vector<float> both ways, a float parameter");
    library.Add<&Bytes>("bytes", "std::vector<std::uint8_t> both ways, reversed");
    library.Add<&Widen>("widen", "std::vector<std::uint16_t> to std::vector<std::uint32_t>");
    library.Add<&CountTrue>("countTrue", "std::vector<bool>");
    library.Add<&Negate>("negate", "const std::vector<bool>& to std::vector<bool>");
    library.Add<&Alternate>("alternate", "true, false, ...");
    library.Add<&CountTrueView>("countTrueView", "ArrayView<bool>");
    library.Add<&Join>("join", "const std::vector<std::string>&");
    library.Add<&Words>("words", "w0, w1, ...");
    library.Add<&TotalLength>("totalLength", "std::vector<std::string>");
    library.Add<&Longest>("longest", "std::vector<std::string_view>");
    library.Add<&Oldest>("oldest", "const std::vector<Person>&");
    library.Add<&Names>("names", "std::vector<Person>");
    library.Add<&People>("people", "p0 aged 0, p1 aged 1, ...");
    library.Add<&TotalAge>("totalAge", "ArrayView<Person>");
    library.Add<&PersonAt>("personAt", "ArrayView<Person>, indexed");
    library.Add<&Greet>("greet", "const Person&");
    library.Add<&Same>("same", "const Person& both ways");
    library.Add<&Best>("best", "a record with a std::vector field");
    library.Add<&MakeTeam>("makeTeam", "a record with a std::vector field, as a result");
    library.Add<&MakeCounter>("makeCounter", "a new Counter");
    library.Add<&BumpAll>("bumpAll", "std::vector<Counter*>");
    library.Add<&SpanSum>("spanSum", "std::span<const std::int64_t>");
    library.Add<&SpanMean>("spanMean", "std::span<const double>");
    library.Add<&Dot3>("dot3", "const std::array<double, 3>&");
    library.Add<&Swap2>("swap2", "std::array<long long, 2> both ways");
    library.Add<&Transpose>("transpose", "nested vectors both ways");
    library.Add<&Matrix>("matrix", "rows x columns of 0, 1, ...");
    library.Add<&Total>("total", "const std::vector<std::vector<std::int64_t>>&");
    library.Add<&ApplyEach>("applyEach", "const std::function<...>&");
    library.Add<&TwiceThrough>("twiceThrough", "a callback taking and returning vectors");
    library.Add<&NextColor>("nextColor", "a range-checked scoped enum");
    library.Add<&Reversed>("reversed", "std::vector of a range-checked enum");
    library.Add<&Darker>("darker", "a scoped enum of std::uint8_t");
    library.Add<&Raise>("raise", "a plain enum");
    library.Add<&U32Max>("u32Max", "a std::uint32_t result");
    library.Add<&U64Add>("u64Add", "std::uint64_t both ways");
    library.Add<&HalfF>("halfF", "float both ways");
}
