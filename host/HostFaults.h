// Host faults planted on purpose, to prove that the conformance catalogue (conformance/*.cases)
// notices a host that carries values wrong. They exist only in the test build of quon-host-faulty
// (QUON_HOST_FAULTS defined, host/HostFaults.cpp and host/FaultyEntries.cpp compiled in): most
// of them are wrong entries of the operation table (host/FaultyEntries.h), the rest sit in the
// call frame, the call and the stack-extension scope. The environment variable
// QUON_HOST_FAULT names the one fault in effect; without it the faulty build is the sound host.
#pragma once

#if defined(QUON_HOST_FAULTS)

#include <cstddef>

#include "hostabi/CellSlot.h"

namespace quon_host {

enum class Fault {
    kNone,
    kArgumentSlot,           // argument-slot: argument i in frame cell i, not 1 + i
    kNoImageCell,            // no-image-cell: frame cell 0 is left without argument 0's image
    kSetInt32,               // setint-32: setInt keeps the low 32 bits, sign-extended
    kSetFloat32,             // setfloat-32: setFloat rounds to single precision
    kSetStringCString,       // setstring-cstring: setString copies up to the first NUL byte
    kEmptyArrayNull,         // empty-array-null: an empty array cell has no array object
    kStackLimitKept,         // stack-limit-kept: enterStackExtension leaves the limit where it was
    kStackLimitNotRestored,  // stack-limit-not-restored: nothing puts the limit back after an extension
    kFrameCount,             // frame-count: prepareCall records one argument more than was pushed
    kOtherEvaluator,         // other-evaluator: currentEvaluator gives another evaluator than the thread's
    kCustomNeverDestroyed,   // custom-never-destroyed: the last release of a custom object skips destroy
    kCustomDestroyedTwice,   // custom-destroyed-twice: the last release calls destroy twice
    kRecordNamesCopied,      // record-names-copied: makeRecord copies the names table, re-indexed by name
    kExceptionsSwallowed,    // exceptions-swallowed: a call that throws returns its result cell as it is
    // Faults the catalogue cannot see against the release library (it passes on memory that still
    // holds the right bytes); the checked build of the library names each.
    kFrameOnValueStack,       // frame-on-value-stack: the adapter's frame is built on the value stack
    kNoFrameByte,             // no-frame-byte: a new evaluator's frame-byte stack is empty, not one 0 byte
    kStackNotFromNew,         // stack-not-from-new: a new evaluator's value stack lies in static storage
};

// The static storage the stack-not-from-new fault gives a new evaluator's value stack, and
// whether `storage` is one of its blocks (which the host must not free).
QUON_Evaluator::CellSlot* StaticStackStorage(std::size_t cells);
bool IsStaticStackStorage(const void* storage);

// True when `fault` is the one QUON_HOST_FAULT names.
bool Planted(Fault fault);

}  // namespace quon_host

#endif
