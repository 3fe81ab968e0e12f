// Where the library's lifetime ends: values the host holds after the library's static objects
// have ended (at exit), and the library loaded and unloaded again and again. Nothing else in this
// program loads the library, so every unload here really unmaps it.
#include <dlfcn.h>
#include <malloc.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/CallFrame.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/HostLibrary.h"
#include "host/HostValues.h"
#include "host/LibraryLoader.h"
#include "strings/tBaseString.h"
#include "tests/modules/ChildProcess.h"

namespace {

using quon_host::HostLibrary;
using quon_host::Value;

using test_support::Ending;
using test_support::InChild;

std::vector<Value>* held;  // values the host keeps until exit

// True when `address` lies in the loaded library's image.
bool InLibraryImage(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 &&
           std::string(info.dli_fname).find("TestExternalLibrary") != std::string::npos;
}

TEST(Lifetime, ValuesTheHostReleasesAfterTheLibrarysStaticsEndStayValid) {
    for (const auto strings : {HostLibrary::Strings::kLibraryPool, HostLibrary::Strings::kHostPool}) {
        const int status = InChild([strings] {
            zul::zulStdString::tBaseString::New("")
                ->Release();  // the host's pool is up before the library loads
            // Registered before the library loads, so it runs after the library's statics end.
            std::atexit([] {
                delete held;  // a custom object's destroy, record names, texts: all released now
                _exit(0);
            });
            auto* library = new HostLibrary(QUON_LIBRARY_PATH, strings);  // stays loaded until exit
            held = new std::vector<Value>;
            for (const char* row : {"__libData__", "__libData2__", "__libData3__"})
                held->push_back(library->Call(row, {}));
            held->push_back(library->Call("num2test", {Value::Int(7)}));
            held->push_back(library->Call("createStruct", {Value::Int(1), Value::Int(2)}));
            held->push_back(library->Call("createStructArray", {Value::Int(3)}));
            held->push_back(library->Call("stringAdd", {Value::String("a"), Value::String("b")}));
            const auto& custom = static_cast<const quon_host::HostCustomCell&>((*held)[3].Cell());
            if (!InLibraryImage(custom.Holder()->entry)) _exit(7);  // the row must outlive the statics
            std::exit(0);
        });
        EXPECT_EQ(Ending(status), "exit 0")
            << "strings from the "
            << (strings == HostLibrary::Strings::kHostPool ? "host's pair" : "library's pool");
    }
}

// Resident and virtual size of this process in kB, from /proc/self/status.
std::pair<long, long> ResidentAndVirtual() {
    std::ifstream status("/proc/self/status");
    long resident = 0, size = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) resident = std::stol(line.substr(6));
        if (line.rfind("VmSize:", 0) == 0) size = std::stol(line.substr(7));
    }
    return {resident, size};
}

// Calls the loaded library's row `name` with `count` Int arguments of 3 and releases the result,
// as a host does before it unloads the library.
void CallAndRelease(const QUON_ExternLib::LibraryDescriptor& descriptor, const char* name, std::size_t count) {
    for (std::uint64_t i = 0; i < descriptor.functionCount; ++i) {
        if (std::string(descriptor.functions[i].name) != name) continue;
        quon_host::CallFrame frame(count);
        for (std::size_t a = 0; a < count; ++a) Value::Int(3).Cell().CopyTo(frame.Argument(a));
        Value result;
        frame.Call(descriptor.functions[i].adapter, &result.Cell());
        if (result.GetKind() != Value::Kind::Record && result.GetKind() != Value::Kind::Array) _exit(7);
        return;
    }
    _exit(8);
}

// Load, install the host's pair (or not), bind, LibraryData, make and release a record and an
// array of records (so that the host has held the library's names table), unload: `cycles` times
// after a warm-up. The process must end cleanly after the last unload: the host keeps nothing of
// the library once its values are gone. QUON_UNLOAD_CYCLES sets the count; the growth is printed.
TEST(Lifetime, LoadingAndUnloadingAgainAndAgainKeepsTheProcessFlat) {
    const char* count = std::getenv("QUON_UNLOAD_CYCLES");
#if defined(QUON_SANITIZE) || defined(QUON_TSAN)
    const int defaultCycles = 100;  // each load is slow there; enough to catch a block used after unload
#else
    const int defaultCycles = 1000;
#endif
    const int cycles = count != nullptr ? std::atoi(count) : defaultCycles;
    for (const bool hostPair : {false, true}) {
        const int status = InChild([&] {
            // A fixed threshold: glibc would otherwise raise it when the first zone is freed and
            // serve later zones from the heap, which keeps their address space once (2.5 MB).
            mallopt(M_MMAP_THRESHOLD, 1 << 20);
            using zul::zulStdString::tBaseString;
            tBaseString::New("")->Release();
            const quon_host::EvaluatorScope evaluator;  // the calls' value stack
            const auto cycle = [&] {
                void* handle = dlopen(QUON_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
                if (handle == nullptr) _exit(2);
                if (hostPair)
                    quon_host::StringAllocApi::Resolve(handle).setZulStringAllocAPI(
                        reinterpret_cast<void*>(&tBaseString::allocFnImp),
                        reinterpret_cast<void*>(&tBaseString::freeFnImp));
                reinterpret_cast<BindToParentContextFn>(dlsym(handle, "BindToParentContext"))(
                    quon_host::HostContext());
                const auto* descriptor = reinterpret_cast<LibraryDataFn>(dlsym(handle, "LibraryData"))();
                if (descriptor->functionCount != 45) _exit(3);
                CallAndRelease(*descriptor, "createStruct", 2);
                CallAndRelease(*descriptor, "createStructArray", 1);
                dlclose(handle);
            };
            for (int i = 0; i < 50; ++i) cycle();  // the process's own pools and caches settle
            const auto [residentBefore, sizeBefore] = ResidentAndVirtual();
            for (int i = 0; i < cycles; ++i) cycle();
            const auto [residentAfter, sizeAfter] = ResidentAndVirtual();
            std::printf("%d cycles, %s: resident %+ld kB, virtual %+ld kB\n", cycles,
                        hostPair ? "host's pair" : "library's pool", residentAfter - residentBefore,
                        sizeAfter - sizeBefore);
            std::fflush(stdout);
            if (dlopen(QUON_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD) != nullptr) _exit(6);  // it was unloaded
#if !defined(QUON_SANITIZE) && !defined(QUON_TSAN)  // their allocators keep freed memory a while
            // A kept zone is 2.5 MB of address space a cycle; a shared type left on the heap 300 bytes.
            if (sizeAfter - sizeBefore > 1024) _exit(4);
            if (residentAfter - residentBefore > 1024) _exit(5);
#endif
        });
        EXPECT_EQ(Ending(status), "exit 0") << (hostPair ? "host's pair" : "library's pool");
    }
}

}  // namespace
