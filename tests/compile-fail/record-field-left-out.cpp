// A field the binding does not list would silently read as 0; leaving one out is said aloud.
// expect: a RecordBinding leaves out a field of the structure
#include <cstdint>
#include <string>
#include <tuple>

#include "interface/QuonExtension.h"

struct Person {
    std::string name;
    std::int64_t age;
    std::int64_t height;
};

template <>
struct QUON_ExternLib::RecordBinding<Person> {
    static constexpr auto kFields =
        std::make_tuple(RecordField("name", &Person::name), RecordField("age", &Person::age));
    static constexpr const char* kTypeText = nullptr;
};

std::int64_t Age(Person p) {
    return p.age;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Age>("age", "...");
}
