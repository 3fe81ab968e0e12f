// Adapters written by hand rather than generated from a signature. They take their single
// argument from the cell at frame offset 0 (payload at offset 8), where the host places the
// first argument for them, not from offset 16 as a generated adapter does. Each is a template
// over the native function that does the work, so the library's own code stays in testlib/.
//
//   HandFloatAdapter<&f>             double f(double): reads the Float, setFloat with the result
//   HandTextAdapter<T, &f>           std::string f(T*): getCustom, setString with the text
//   HandPooledTextAdapter<T, &f>     tString f(T*): getCustom, copies the pooled text into a new
//                                    pooled string, setString with the copy, releases both
#pragma once

#include <string>

#include "externlib/Caster.h"

namespace QUON_ExternLib {

// The argument cell of a hand-written adapter.
inline EvCell* HandArgumentCell(EvCell* frame) {
    return frame;
}

template <double (*Function)(double)>
void HandFloatAdapter(EvCell* result, EvCell* frame) {
    Host().setFloat(result, Function(Caster<double>::Read(HandArgumentCell(frame))));
}

template <class T, std::string (*Function)(T*)>
void HandTextAdapter(EvCell* result, EvCell* frame) {
    const std::string text = Function(Caster<T*>::Read(HandArgumentCell(frame)));
    Host().setString(result, text.data(), text.size());
}

template <class T, tString (*Function)(T*)>
void HandPooledTextAdapter(EvCell* result, EvCell* frame) {
    const tString text = Function(Caster<T*>::Read(HandArgumentCell(frame)));
    const tString copy(text);
    Host().setString(result, copy.c_str(), copy.size());
}

}  // namespace QUON_ExternLib
