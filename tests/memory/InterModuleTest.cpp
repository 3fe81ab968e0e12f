// The inter-module proxy and protected shared construction.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "memory/InterModuleProxy.h"
#include "memory/MakeSharedProtected.h"
#include "memory/MemoryPoolZoneManager.h"
#include "memory/PoolPoisoning.h"

#if QUON_POOL_POISONING
#include <sanitizer/lsan_interface.h>
#endif

namespace {

using StringProxy = zul::InterModuleProxy<std::string>;

// Path of the module holding `address`.
std::string ModuleOf(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 && info.dli_fname != nullptr ? info.dli_fname : "";
}

TEST(InterModuleProxy, DestroyFreesTextAndProxyWithTheProducersCode) {
    void* peer = dlopen(QUON_PEER_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(peer, nullptr) << dlerror();
    auto make = reinterpret_cast<StringProxy* (*)(const char*)>(dlsym(peer, "PeerMakeProxy"));
    ASSERT_NE(make, nullptr);
    const std::string text(100, 'q');

    StringProxy* proxy = make(text.c_str());
    EXPECT_EQ(proxy->value, text) << "the consumer reads the value directly";
    const void* vtable = *reinterpret_cast<void* const*>(proxy);
    EXPECT_EQ(ModuleOf(vtable), ModuleOf(reinterpret_cast<void*>(make)))
        << "the proxy's operations are the producing module's";
    proxy->Destroy();
#if QUON_POOL_POISONING
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "Destroy freed the text buffer and the proxy";
#endif
}

TEST(MakeSharedProtected, BuildsProtectedClassesThatKnowTheirOwner) {
    using Manager = zmm::UntypedMemoryPoolZoneManager<48, 3, 1, 0, 0>;  // constructor protected
    std::shared_ptr<Manager> manager = zul::make_shared_protected<Manager>();
    std::shared_ptr<Manager> self = manager->shared_from_this();
    EXPECT_EQ(self.get(), manager.get()) << "shared_from_this works right after creation";
    EXPECT_EQ(manager.use_count(), 2) << "and shares the same count";
}

}  // namespace
