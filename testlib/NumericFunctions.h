// The library's numeric and string functions, and the two conversions between Int and TestType.
// Each is bound to its row by a generated adapter ("sqrtC" by a hand-written one).
#pragma once

#include <cstdint>
#include <memory>

#include "externlib/Caster.h"
#include "testlib/TestType.h"

namespace QUON_TestLib {

using QUON_ExternLib::tBaseString;
using QUON_ExternLib::tString;

// Appends the printable form of `text`: its bytes, or "Null" for the null string.
void AppendPrintable(tString& out, const tBaseString& text);

double Test();  // the constant 0.42 ("test" and "test1")
double Sqrt(double x);
std::int32_t Simple(std::int32_t a, std::int32_t b, std::int32_t c);  // 100a + 10b + c, 32-bit wrapping
std::int64_t Strlen(const tBaseString& text);                         // bytes as stored
std::int64_t StrlenPtr(const char* text);                             // bytes before the first NUL
tString Repstr(tString text, std::uint32_t times);
bool Xor(bool a, bool b);
std::int64_t Maxint(std::int64_t a, std::int64_t b);
tString StringAdd(tString a, const tBaseString& b);
std::unique_ptr<TestType> Num2test(std::int32_t value);  // the host owns the object
std::int32_t Test2num(TestType* object);

}  // namespace QUON_TestLib
