// Checks of invariants at the points where they can break (a frame close, a block given back to
// a pool, a zone's block count). On in debug and sanitizer builds, gone in release builds, where
// these paths are hot.
#pragma once

#if !defined(NDEBUG) || defined(QUON_SANITIZE)
#define QUON_CHECK_INVARIANTS 1
#else
#define QUON_CHECK_INVARIANTS 0
#endif

namespace zul::platform {

// Prints "invariant broken: <what> (<file>:<line>)" on standard error and aborts.
[[noreturn]] void InvariantBroken(const char* what, const char* file, int line) noexcept;

}  // namespace zul::platform

#if QUON_CHECK_INVARIANTS
#define QUON_INVARIANT(condition, what)                                 \
    do {                                                                \
        if (!(condition)) [[unlikely]]                                  \
            ::zul::platform::InvariantBroken(what, __FILE__, __LINE__); \
    } while (false)
#else
#define QUON_INVARIANT(condition, what) \
    do {                                \
    } while (false)
#endif
