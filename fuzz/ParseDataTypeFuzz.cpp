// libFuzzer target for the type-string parser: any bytes must give a type or a null result,
// never a crash, a leak or undefined behaviour. A parsed type is also printed, copied,
// compared with its reparsed print and walked, so the whole type model sees odd input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/ExternalTypeRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace QUON_DataTypes;
    static const bool registered = (ExternalTypeRegistry::Instance().Register("TestType"), true);
    (void)registered;

    // The raw bytes, NUL bytes included, through the parser; then the NUL-terminated entry point.
    const std::string text(reinterpret_cast<const char*>(data), size);
    DataTypeParser parser(text.data(), text.size());
    const DataType raw(parser.ParseType());
    const DataType parsed(ParseDataType(text.c_str()));

    const std::string printed = parsed.ToString().Text();
    const DataType copy(parsed);
    const DataType reparsed(ParseDataType(printed.c_str()));
    (void)parsed->Compare(*reparsed);
    (void)copy->Compare(*parsed);
    (void)parsed->IsFullyDefined();
    (void)parsed->IsEssentiallyNonPolymorphic();
    std::uint32_t min = 0, max = 0;
    parsed.FindMinMaxPolyTypesContinue(min, max);
    DataType flat(parsed->FlattenRecord());
    (void)flat->ToString();
    (void)raw->ToString();
    return 0;
}
