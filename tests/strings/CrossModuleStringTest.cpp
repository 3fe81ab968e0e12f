// Pooled strings across module boundaries: the built library and a peer module each hold
// their own copy of the runtime, as the host does; this test program is a third copy.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "host/LibraryLoader.h"
#include "strings/StringMemoryPool.h"
#include "strings/tString.h"

namespace {

using zul::zulStdString::tBaseString;

void* Open(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << dlerror();
    return handle;
}

template <class Fn>
Fn Resolve(void* module, const char* name) {
    void* symbol = module != nullptr ? dlsym(module, name) : nullptr;
    EXPECT_NE(symbol, nullptr) << name;
    return reinterpret_cast<Fn>(symbol);
}

// The four statics a module publishes.
using AllocationApi = quon_host::StringAllocApi;

struct Peer {
    void* module = Open(QUON_PEER_MODULE_PATH);
    AllocationApi api = AllocationApi::Resolve(module);
    tBaseString* (*makeBody)(const char*) = Resolve<tBaseString* (*)(const char*)>(module, "PeerMakeBody");
    tBaseString* (*copyBody)(const tBaseString*) =
        Resolve<tBaseString* (*)(const tBaseString*)>(module, "PeerCopyBody");
    std::size_t (*freeBlocks)() = Resolve<std::size_t (*)()>(module, "PeerStringPoolFreeBlocks");
    std::size_t (*zones)() = Resolve<std::size_t (*)()>(module, "PeerStringPoolZones");
};

Peer& ThePeer() {
    static Peer peer;
    return peer;
}

std::size_t OwnFreeBlocks() {
    return zul::zulStdString::StringMemoryPool().GetAllocator().CountFreeBlocks();
}

const void* ObjectPointer(const tBaseString* body) {
    return *reinterpret_cast<const void* const*>(body);
}

TEST(CrossModuleString, ACopyIsReleasedByTheModuleThatMadeItsSource) {
    Peer& peer = ThePeer();
    ASSERT_NE(peer.makeBody, nullptr);

    tBaseString* peerBody = peer.makeBody("made by the peer");
    tBaseString* ownCopy = tBaseString::Copy(*peerBody);
    EXPECT_EQ(*ownCopy, "made by the peer");
    EXPECT_EQ(ObjectPointer(ownCopy), ObjectPointer(peerBody))
        << "the copy keeps the peer's object pointer";
    const std::size_t peerFree = peer.freeBlocks();
    const std::size_t ownFree = OwnFreeBlocks();
    ownCopy->Release();
    EXPECT_EQ(peer.freeBlocks(), peerFree + 1) << "the peer's Release took our copy";
    EXPECT_EQ(OwnFreeBlocks(), ownFree) << "our pool was not involved";
    peerBody->Release();

    tBaseString* ownBody = tBaseString::New("made here");
    tBaseString* peerCopy = peer.copyBody(ownBody);
    EXPECT_EQ(ObjectPointer(peerCopy), ObjectPointer(ownBody))
        << "the peer's copy keeps our object pointer";
    const std::size_t peerFreeBefore = peer.freeBlocks();
    const std::size_t ownFreeBefore = OwnFreeBlocks();
    peerCopy->Release();
    EXPECT_EQ(OwnFreeBlocks(), ownFreeBefore + 1) << "our Release took the peer's copy";
    EXPECT_EQ(peer.freeBlocks(), peerFreeBefore);
    ownBody->Release();
}

// An allocator pair standing for the host's: one fixed block, and a count of the calls.
struct Counting {
    alignas(16) static inline unsigned char block[40];
    static inline int allocs = 0;
    static inline int frees = 0;
    static inline void* freed = nullptr;
    static void* Alloc() { return ++allocs, block; }
    static void Free(void* p) { ++frees, freed = p; }
};

TEST(CrossModuleString, AnInstalledAllocatorPairTakesEveryBodyOfThatModule) {
    Counting::allocs = Counting::frees = 0;
    Peer& peer = ThePeer();
    ASSERT_NE(peer.api.setZulStringAllocAPI, nullptr);
    tBaseString* warmUp = peer.makeBody("");  // the peer's pool exists before the swap
    warmUp->Release();
    const std::size_t zones = peer.zones();
    const std::size_t freeBlocks = peer.freeBlocks();

    EXPECT_TRUE(peer.api.isUsingZulString());
    peer.api.setZulStringAllocAPI(reinterpret_cast<void*>(&Counting::Alloc),
                                  reinterpret_cast<void*>(&Counting::Free));
    EXPECT_TRUE(peer.api.isUsingZulString()) << "still true after the swap";
    tBaseString* body = peer.makeBody("host-allocated");
    EXPECT_EQ(static_cast<void*>(body), Counting::block) << "the body came from the installed allocator";
    body->Release();
    peer.api.setZulStringAllocAPI(reinterpret_cast<void*>(peer.api.allocFnImp),
                                  reinterpret_cast<void*>(peer.api.freeFnImp));
    EXPECT_EQ(Counting::allocs, 1) << "one call to the installed alloc";
    EXPECT_EQ(Counting::frees, 1) << "one call to the installed free";
    EXPECT_EQ(Counting::freed, Counting::block) << "with the same block";
    EXPECT_EQ(peer.zones(), zones) << "the peer's pool made no zone";
    EXPECT_EQ(peer.freeBlocks(), freeBlocks) << "and lent or took no block";
}

TEST(CrossModuleString, TheLibraryPublishesTheAllocationInterface) {
    void* library = Open(QUON_LIBRARY_PATH);
    AllocationApi api = AllocationApi::Resolve(library);
    ASSERT_NE(api.setZulStringAllocAPI, nullptr);
    EXPECT_NE(reinterpret_cast<void*>(api.allocFnImp), reinterpret_cast<void*>(&tBaseString::allocFnImp))
        << "the library's functions are its own copy";
    EXPECT_TRUE(api.isUsingZulString()) << "before a swap";

    void* block = api.allocFnImp();
    ASSERT_NE(block, nullptr);
    api.freeFnImp(block);
    EXPECT_EQ(api.allocFnImp(), block) << "the library's pool hands the freed block out again";
    api.freeFnImp(block);

    api.setZulStringAllocAPI(reinterpret_cast<void*>(&tBaseString::allocFnImp),
                             reinterpret_cast<void*>(&tBaseString::freeFnImp));
    EXPECT_TRUE(api.isUsingZulString()) << "after a swap";
    EXPECT_EQ(api.allocFnImp(), block) << "allocFnImp itself still serves the library's own pool";
    api.freeFnImp(block);
    api.setZulStringAllocAPI(reinterpret_cast<void*>(api.allocFnImp),
                             reinterpret_cast<void*>(api.freeFnImp));
}

// Runs `body` in a forked child that then ends at once (the leak checker, a sanitizer build's last
// exit handler, has no say over a child's deliberately unfinished state); returns its wait status.
int InChild(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

// This test program plays the host: it loads the library (unloadably), optionally installs its
// own allocator pair in it, asks for the descriptor, and unloads it.
struct UnloadableLibrary {
    enum class Install { Never, BeforeData, AfterData };

    explicit UnloadableLibrary(Install install) {
        handle = dlopen(QUON_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) std::_Exit(2);
        const AllocationApi api = AllocationApi::Resolve(handle);
        auto data = reinterpret_cast<void* (*)()>(dlsym(handle, "LibraryData"));
        auto installHostPair = [&] {
            api.setZulStringAllocAPI(reinterpret_cast<void*>(&tBaseString::allocFnImp),
                                     reinterpret_cast<void*>(&tBaseString::freeFnImp));
        };
        if (install == Install::BeforeData) installHostPair();
        data();
        if (install == Install::AfterData) installHostPair();
    }
    void Unload() {
        dlclose(handle);
        if (dlopen(QUON_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD) != nullptr) std::_Exit(3);  // still loaded
    }
    void* handle;
};

// Unloading can be watched only in a process where nothing else holds the library (ctest runs
// every test in a process of its own).
bool LibraryAlreadyLoaded() {
    return dlopen(QUON_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD) != nullptr;
}

// Takes bodies from this module's pool and writes long texts through them: a block of a zone
// the library freed would fault here (or be reported under the sanitizer).
void UseHostBodies() {
    for (int i = 0; i < 64; ++i) {
        tBaseString* body = tBaseString::New(std::string(100, 'x'));
        if (body == nullptr || body->size() != 100) std::_Exit(4);
        body->Release();
    }
}

TEST(CrossModuleString, HostBodiesStayUsableAfterTheLibraryUnloadsWithTheHostsAllocator) {
    using Install = UnloadableLibrary::Install;
    if (LibraryAlreadyLoaded()) GTEST_SKIP() << "the library is already loaded in this process";
    tBaseString::New("")->Release();  // the host's pool exists before the library loads
    for (Install install : {Install::BeforeData, Install::AfterData}) {
        const int status = InChild([install] {
            UnloadableLibrary library(install);
            library.Unload();
            UseHostBodies();
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "install " << (install == Install::BeforeData ? "before" : "after")
            << " LibraryData, status " << status;
    }
    // A handler registered before the library loads runs after the library's static objects end.
    const int status = InChild([] {
        std::atexit([] {
            UseHostBodies();
            _exit(0);
        });
        UnloadableLibrary library(Install::AfterData);
        std::exit(0);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "allocation at exit, status " << status;
}

#if !defined(QUON_SANITIZE)
TEST(CrossModuleString, UnloadGivesZonesBackUnlessTheirBlocksMayHaveCrossed) {
    using Install = UnloadableLibrary::Install;
    if (LibraryAlreadyLoaded()) GTEST_SKIP() << "the library is already loaded in this process";
    tBaseString::New("")->Release();
    // Zones of string bodies are large enough to be mapped on their own: mapped bytes tell.
    const int status = InChild([] {
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);  // fixed, so a freed zone does not raise it
        const std::size_t before = mallinfo2().hblkhd;
        UnloadableLibrary(Install::Never).Unload();
        if (mallinfo2().hblkhd != before) std::_Exit(5);  // an unused zone was not freed
        UnloadableLibrary(Install::AfterData).Unload();
        if (mallinfo2().hblkhd < before + 40 * 65536) std::_Exit(6);  // a crossed zone was freed
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}
#endif

}  // namespace
