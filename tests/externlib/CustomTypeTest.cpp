// Registered custom classes through generated adapters: named by their registered row, handed to
// the host with setCustom and taken back with getCustom.
#include <gtest/gtest.h>

#include <cstdint>
#include <typeindex>

#include "externlib/Adapter.h"
#include "host/HostContext.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_ExternLib;

struct Counter {
    std::int32_t value;
};
struct Unregistered {};

Counter* MakeCounter(std::int32_t value) {
    return new Counter{value};
}
std::int32_t CounterValue(Counter* counter) {
    return counter->value;
}
Unregistered* MakeUnregistered() {
    return nullptr;
}

int destroyed = 0;
const CustomTypeEntry kCounterRow{"Counter", nullptr,
                                  [](void* object) {
                                      ++destroyed;
                                      delete static_cast<Counter*>(object);
                                  },
                                  nullptr, 0};

TEST(CustomTypes, ObjectsGoToTheHostWithTheirRowAndComeBack) {
    static CustomTypeRegistry registry;
    registry.insert_or_assign(std::type_index(typeid(Counter)), kCounterRow);
    TheLibraryContext().typeRegistry = &registry;
    TheLibraryContext().parentContext = quon_host::HostContext();

    EXPECT_STREQ(Bind<&MakeCounter>::TypeString(), "( Int -> Counter )") << "the registered name";
    EXPECT_STREQ(Bind<&CounterValue>::TypeString(), "( Counter -> Int )");
    EXPECT_STREQ(Bind<&MakeUnregistered>::TypeString(), "(  -> Undefined )") << "an unregistered class";

    cell_tests::Slot frame[2], result;
    Host().setInt(frame[1].Cell(), 42);
    Bind<&MakeCounter>::Adapter(frame[1].Cell(), frame[0].Cell());  // the object becomes the argument
    Bind<&CounterValue>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(result.Cell()->GetInteger(), 42) << "getCustom gives back the object";
    frame[1].Cell()->ReleaseData();
    EXPECT_EQ(destroyed, 1) << "the host ends the object with the row's destroy";
}

}  // namespace
