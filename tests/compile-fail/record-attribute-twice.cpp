// Two fields under one attribute name would fill one attribute twice and leave one unset.
// expect: a RecordBinding lists one attribute name or one field twice
#include <cstdint>
#include <tuple>

#include "interface/QuonExtension.h"

struct Point {
    std::int64_t x;
    std::int64_t y;
};

template <>
struct QUON_ExternLib::RecordBinding<Point> {
    static constexpr auto kFields = std::make_tuple(RecordField("x", &Point::x), RecordField("x", &Point::y));
    static constexpr const char* kTypeText = nullptr;
};

std::int64_t X(Point p) {
    return p.x;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&X>("x", "...");
}
