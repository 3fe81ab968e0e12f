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
#include <thread>
#include <vector>

#include "host/LibraryLoader.h"
#include "strings/StringMemoryPool.h"
#include "strings/tString.h"
#include "tests/modules/ChildProcess.h"

namespace {

using quon_host::StringAllocApi;
using zul::zulStdString::tBaseString;
using Counter = std::size_t (*)();

template <class Fn>
Fn Resolve(void* module, const char* name) {
    void* symbol = dlsym(module, name);
    if (symbol == nullptr) throw std::runtime_error(name);
    return reinterpret_cast<Fn>(symbol);
}

struct Peer {
    void* module = dlopen(QUON_PEER_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    StringAllocApi api = StringAllocApi::Resolve(module);
    tBaseString* (*makeBody)(const char*) = Resolve<tBaseString* (*)(const char*)>(module, "PeerMakeBody");
    tBaseString* (*copyBody)(const tBaseString*) =
        Resolve<tBaseString* (*)(const tBaseString*)>(module, "PeerCopyBody");
    Counter freeBlocks = Resolve<Counter>(module, "PeerStringPoolFreeBlocks");
    Counter zones = Resolve<Counter>(module, "PeerStringPoolZones");
};

std::size_t OwnFreeBlocks() {
    return zul::zulStdString::CountFreeBodyBlocks();
}

const void* ObjectPointer(const tBaseString* body) {
    return *reinterpret_cast<const void* const*>(body);
}

TEST(CrossModuleString, ACopyIsReleasedByTheModuleThatMadeItsSource) {
    Peer peer;
    struct Case {
        tBaseString* source;
        tBaseString* copy;
        Counter maker, other;
    };
    tBaseString* peerBody = peer.makeBody("made by the peer");
    tBaseString* ownBody = tBaseString::New("made here");
    for (auto [source, copy, maker, other] :
         {Case{peerBody, tBaseString::Copy(*peerBody), peer.freeBlocks, OwnFreeBlocks},
          Case{ownBody, peer.copyBody(ownBody), OwnFreeBlocks, peer.freeBlocks}}) {
        EXPECT_EQ(*copy, *source);
        EXPECT_EQ(ObjectPointer(copy), ObjectPointer(source)) << "the copy keeps the object pointer";
        const std::size_t makerFree = maker(), otherFree = other();
        copy->Release();
        EXPECT_EQ(maker(), makerFree + 1) << "the source's module took the copy back: " << *source;
        EXPECT_EQ(other(), otherFree) << "the other pool was not involved: " << *source;
        source->Release();
    }
}

// An allocator pair standing for the host's: one fixed block, and a count of the calls.
struct Counting {
    alignas(16) static inline unsigned char block[40];
    static inline int allocs = 0, frees = 0;
    static void* Alloc() { return ++allocs, block; }
    static void Free(void* p) { frees += p == block ? 1 : 100; }
};

TEST(CrossModuleString, AnInstalledAllocatorPairTakesEveryBodyOfThatModule) {
    Counting::allocs = Counting::frees = 0;
    Peer peer;
    peer.makeBody("")->Release();  // the peer's pool exists before the swap
    const std::size_t zones = peer.zones();
    const std::size_t freeBlocks = peer.freeBlocks();

    peer.api.setZulStringAllocAPI(reinterpret_cast<void*>(&Counting::Alloc),
                                  reinterpret_cast<void*>(&Counting::Free));
    tBaseString* body = peer.makeBody("host-allocated");
    EXPECT_EQ(static_cast<void*>(body), Counting::block) << "the body came from the installed allocator";
    body->Release();
    void* pooled = peer.api.allocFnImp();
    EXPECT_NE(pooled, Counting::block) << "allocFnImp itself still serves the module's own pool";
    peer.api.freeFnImp(pooled);
    peer.api.setZulStringAllocAPI(reinterpret_cast<void*>(peer.api.allocFnImp),
                                  reinterpret_cast<void*>(peer.api.freeFnImp));
    EXPECT_EQ(Counting::allocs, 1) << "one call to the installed alloc";
    EXPECT_EQ(Counting::frees, 1) << "one call to the installed free, with that block";
    EXPECT_EQ(peer.zones(), zones) << "the peer's pool made no zone";
    EXPECT_EQ(peer.freeBlocks(), freeBlocks) << "and lent or took no block";
}

using test_support::InChild;

bool ExitedCleanly(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Unloading can be watched only where nothing else holds the library (as under ctest).
bool LibraryAlreadyLoaded() {
    return dlopen(QUON_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD) != nullptr;
}

// The exit status of this program run anew with only the current test: a test that must load the
// library afresh runs there when another test of this run left it loaded here.
int RunAloneInNewProcess() {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string command = "'/proc/" + std::to_string(::getpid()) +
                                "/exe' --gtest_filter=" + test->test_suite_name() + "." + test->name() +
                                " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

enum class Install { Never, BeforeData, AfterData };

// This program plays the host: it loads the library, may install its own allocator pair in it
// before or after asking for the descriptor, and may unload it.
void* LoadLibrary(Install install) {
    void* handle = dlopen(QUON_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) std::_Exit(2);
    const StringAllocApi api = StringAllocApi::Resolve(handle);
    const auto installHostPair = [&] {
        api.setZulStringAllocAPI(reinterpret_cast<void*>(&tBaseString::allocFnImp),
                                 reinterpret_cast<void*>(&tBaseString::freeFnImp));
    };
    if (install == Install::BeforeData) installHostPair();
    reinterpret_cast<void* (*)()>(dlsym(handle, "LibraryData"))();
    if (install == Install::AfterData) installHostPair();
    return handle;
}

void Unload(void* library) {
    dlclose(library);
    if (LibraryAlreadyLoaded()) std::_Exit(3);
}

// Writes long texts through bodies of this module's pool: a block of a zone the library freed
// would fault here (or be reported under the sanitizer).
void UseHostBodies() {
    for (int i = 0; i < 64; ++i) {
        tBaseString* body = tBaseString::New(std::string(100, 'x'));
        if (body == nullptr || body->size() != 100) std::_Exit(4);
        body->Release();
    }
}

TEST(CrossModuleString, HostBodiesStayUsableAfterTheLibraryUnloadsWithTheHostsAllocator) {
    if (LibraryAlreadyLoaded()) {
        EXPECT_EQ(RunAloneInNewProcess(), 0) << "the test in a process of its own";
        return;
    }
    tBaseString::New("")->Release();  // the host's pool exists before the library loads
    for (Install install : {Install::BeforeData, Install::AfterData}) {
        const int status = InChild([install] {
            Unload(LoadLibrary(install));
            UseHostBodies();
        });
        EXPECT_TRUE(ExitedCleanly(status))
            << "installed before (1) or after (2) LibraryData: " << static_cast<int>(install) << ", status "
            << status;
    }
    // A handler registered before the library loads runs after the library's static objects end.
    const int status = InChild([] {
        std::atexit([] {
            UseHostBodies();
            _exit(0);
        });
        LoadLibrary(Install::AfterData);
        std::exit(0);
    });
    EXPECT_TRUE(ExitedCleanly(status)) << "allocation at exit, status " << status;
}

// The sanitizers replace malloc: mallinfo2 tells nothing there.
#if !defined(QUON_SANITIZE) && !defined(QUON_TSAN)
TEST(CrossModuleString, UnloadGivesTheLibrarysZonesBackWithOrWithoutTheHostsPair) {
    if (LibraryAlreadyLoaded()) {
        EXPECT_EQ(RunAloneInNewProcess(), 0) << "the test in a process of its own";
        return;
    }
    tBaseString::New("")->Release();
    // Zones of string bodies are large enough to be mapped on their own: mapped bytes tell.
    const int status = InChild([] {
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);  // fixed, so a freed zone does not raise it
        const std::size_t before = mallinfo2().hblkhd;
        Unload(LoadLibrary(Install::Never));
        if (mallinfo2().hblkhd != before) std::_Exit(5);  // an unused zone was not freed
        // Bodies the library made before the host's pair came go back to the library's own pool.
        Unload(LoadLibrary(Install::AfterData));
        if (mallinfo2().hblkhd != before) std::_Exit(6);  // a zone was kept
    });
    EXPECT_TRUE(ExitedCleanly(status)) << "status " << status;
}
#endif

// Each thread takes bodies from a cache of its own in front of the locked pool. Bodies made on
// one thread and released on another, and the caches of threads that end, all go back: the
// module's free blocks come back to where they were.
TEST(CrossModuleString, BodiesCrossThreadsAndAnEndingThreadGivesItsCacheBack) {
    Peer peer;
    peer.makeBody("")->Release();  // the peer's first zone
    const std::size_t freeBefore = peer.freeBlocks();
    std::vector<tBaseString*> handedOver[2];
    bool lifo[2] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            std::vector<tBaseString*> bodies;
            for (int i = 0; i < 1000; ++i) bodies.push_back(peer.makeBody("a body"));
            void* released = bodies.back();
            bodies.back()->Release();
            bodies.back() = peer.makeBody("again");
            lifo[t] = bodies.back() == released;
            for (int i = 0; i < 500; ++i) bodies[i]->Release();
            handedOver[t].assign(bodies.begin() + 500, bodies.end());
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_TRUE(lifo[0] && lifo[1]) << "the body released last on a thread is the next one it gets";
    for (auto& bodies : handedOver)
        for (tBaseString* body : bodies) body->Release();
    EXPECT_EQ(peer.freeBlocks(), freeBefore);
}

}  // namespace
