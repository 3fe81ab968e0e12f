// An enum's range names its first enumerator first.
// expect: EnumRange<E>: kFirst comes after kLast
#include <cstdint>

#include "interface/QuonExtension.h"

enum class Color { Red, Green, Blue };

template <>
struct QUON_ExternLib::EnumRange<Color> {
    static constexpr Color kFirst = Color::Blue;
    static constexpr Color kLast = Color::Red;
};

Color Next(Color color);

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Next>("next", "...");
}
