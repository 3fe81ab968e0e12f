// Checks of what the library trusts the host to have done right: the frames it hands over, the
// value stack and its frame bytes, array objects, record blocks, string bodies, the stack limit.
//
// The checked build of a library (QUON_CHECKED_HOST, libTestExternalLibraryChecked.so) compiles
// them in and throws std::logic_error("host fault: <what the host did wrong>") at the first
// one that fails, so that a host's conformance case fails with that text instead of passing
// on memory that happens to hold the right bytes. Debug and sanitizer builds compile them in
// too and stop, as for an invariant ("invariant broken: <what>"). Release builds leave them out.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Invariant.h"

#if defined(QUON_CHECKED_HOST) || QUON_CHECK_INVARIANTS
#define QUON_CHECK_HOST 1
#else
#define QUON_CHECK_HOST 0
#endif

namespace zul::platform {

// Throws the host fault (checked build) or stops as a broken invariant (other checking builds).
[[noreturn]] void HostFault(const std::string& what, const char* file, int line);

// Where `storage` lies when it cannot be a block of ::operator new of at least `bytes` bytes
// ("on the thread's stack", "in the static storage of /path/libx.so", ...); empty when it may be
// one. Reads only memory the process has mapped.
std::string NotFromOperatorNew(const void* storage, std::size_t bytes);

// The value-stack storage the library allocated itself, remembered while it is in use so that
// only the host's storage is probed before the library frees it (checked build).
void RememberOwnStorage(const void* storage);
bool ForgetOwnStorage(const void* storage);

// The calling thread's stack, [low, high); both null when it cannot be found.
struct ThreadStackRange {
    const char* low = nullptr;
    const char* high = nullptr;
};
ThreadStackRange CallingThreadStack();

}  // namespace zul::platform

#if QUON_CHECK_HOST
#define QUON_HOST_CHECK(condition, what)                             \
    do {                                                             \
        if (!(condition)) [[unlikely]]                               \
            ::zul::platform::HostFault((what), __FILE__, __LINE__);  \
    } while (false)
#else
#define QUON_HOST_CHECK(condition, what) \
    do {                                 \
    } while (false)
#endif
