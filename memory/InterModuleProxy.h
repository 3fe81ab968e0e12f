// A value handed from one module to the other together with its own disposal code.
//
//   offset 0  object pointer: slot 0 = Destroy, slot 1 = deleting destructor (producer's code)
//   offset 8  value
//
// The producer makes the proxy with its own `new`; the consumer reads `value` and calls
// Destroy() exactly once, which frees the value and the proxy with the producer's heap.
#pragma once

#include <string>
#include <utility>

namespace zul {

template <class T>
class InterModuleProxy {
public:
    template <class... Args>
    explicit InterModuleProxy(Args&&... args) : value(std::forward<Args>(args)...) {}

    // Slot 0. Declared before the destructor so that it takes the first slot; the virtual
    // destructor then takes slots 1 (complete) and 2 (deleting) in the Itanium layout, and
    // `delete this` below goes through the deleting one.
    virtual void Destroy() { delete this; }
    virtual ~InterModuleProxy() = default;

    InterModuleProxy(const InterModuleProxy&) = delete;
    InterModuleProxy& operator=(const InterModuleProxy&) = delete;

    T value;  // the wrapped value, owned by the proxy
};

static_assert(sizeof(InterModuleProxy<std::string>) == 40, "the host reads a 40-byte string proxy");

}  // namespace zul
