// TestType, the library's one custom external type: an opaque object holding one Int that Quon
// programs can keep and pass back. The host owns each object from setCustom on and ends it with
// the registered row's destroy. Also here: the functions that print it, and the functions that
// call Quon functions handed in as arguments.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "externlib/Caster.h"
#include "hostabi/LibraryDescriptor.h"

namespace QUON_TestLib {

using QUON_ExternLib::IntArrayView;
using QUON_ExternLib::NewArray;
using QUON_ExternLib::tString;

class TestType {
public:
    explicit TestType(std::int64_t value) : value(value) {}
    std::int64_t value;  // the only field
};

// The registration row: "TestType", its destroy and toText, reserved fields zero.
const QUON_ExternLib::CustomTypeEntry& TestTypeRow();

std::string Print(TestType* object);  // "Test-" and the value
tString PrintNc(TestType* object);    // "Test-NC-" and the value, as a pooled string

// Print i, " : " and f() (test0a) or f(i) (test1a) for i from 0 to 9, one line each; return 1.
std::int32_t Test0a(std::function<int()> f);
std::int32_t Test1a(std::function<int(int)> f);
// f(f(a)).
NewArray<long long> TestArr(IntArrayView a, std::function<NewArray<long long>(IntArrayView)> f);

}  // namespace QUON_TestLib
