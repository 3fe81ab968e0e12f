// A new array has one owner: it moves, it is never copied.
// expect: use of deleted function
#include "interface/QuonExtension.h"

using QUON_ExternLib::NewArray;

NewArray<long long> Twice(std::int64_t n) {
    NewArray<long long> out(n);
    NewArray<long long> copy = out;
    return copy;
}
