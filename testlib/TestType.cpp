#include "testlib/TestType.h"

#include <iostream>

#include "externlib/HostCell.h"
#include "memory/InterModuleProxy.h"

namespace QUON_TestLib {

namespace {

void Destroy(void* object) {
    if (object == nullptr) return;
    auto* test = static_cast<TestType*>(object);
    std::cerr << "*** Destructed TestType : " << test->value << std::endl;
    delete test;
}

// The host owns the proxy and ends it with its own Destroy.
zul::InterModuleProxy<std::string>* ToText(void* object) {
    return new zul::InterModuleProxy<std::string>(Print(static_cast<TestType*>(object)));
}

}  // namespace

const QUON_ExternLib::CustomTypeEntry& TestTypeRow() {
    static const QUON_ExternLib::CustomTypeEntry row{"TestType", nullptr, &Destroy, &ToText, 0};
    return row;
}

std::string Print(TestType* object) {
    return "Test-" + std::to_string(object->value);
}

tString PrintNc(TestType* object) {
    return tString("Test-NC-" + std::to_string(object->value));
}

std::int32_t Test0a(std::function<int()> f) {
    for (int i = 0; i < 10; ++i) {
        const int value = f();
        std::cout << i << " : " << value << std::endl;
    }
    return 1;
}

std::int32_t Test1a(std::function<int(int)> f) {
    for (int i = 0; i < 10; ++i) {
        const int value = f(i);
        std::cout << i << " : " << value << std::endl;
    }
    return 1;
}

NewArray<long long> TestArr(IntArrayView a, std::function<NewArray<long long>(IntArrayView)> f) {
    // The first result is released (on every way out) once the second exists.
    const NewArray<long long> first = f(a);
    return f(first.View());
}

}  // namespace QUON_TestLib
