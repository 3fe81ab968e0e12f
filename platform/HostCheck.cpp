#include "platform/HostCheck.h"

#include <dlfcn.h>
#include <pthread.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <unordered_set>

namespace zul::platform {

void HostFault(const std::string& what, const char* file, int line) {
#if defined(QUON_CHECKED_HOST)
    (void)file;
    (void)line;
    throw std::logic_error("host fault: " + what);
#else
    InvariantBroken(what.c_str(), file, line);
#endif
}

namespace {

std::mutex ownStorageLock;
std::unordered_set<const void*>& OwnStorage() {
    static auto* storage = new std::unordered_set<const void*>();  // never destroyed: used at exit
    return *storage;
}

}  // namespace

void RememberOwnStorage(const void* storage) {
    const std::lock_guard lock(ownStorageLock);
    OwnStorage().insert(storage);
}

bool ForgetOwnStorage(const void* storage) {
    const std::lock_guard lock(ownStorageLock);
    return OwnStorage().erase(storage) != 0;
}

ThreadStackRange CallingThreadStack() {
    ThreadStackRange range;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return range;
    void* low = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attributes, &low, &size) == 0 && low != nullptr) {
        range.low = static_cast<const char*>(low);
        range.high = range.low + size;
    }
    pthread_attr_destroy(&attributes);
    return range;
}

namespace {

struct Mapping {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
};

// The mapping of the process that holds `address`, from /proc/self/maps; empty when none does.
Mapping MappingOf(std::uintptr_t address) {
    Mapping found;
    std::FILE* maps = std::fopen("/proc/self/maps", "re");
    if (maps == nullptr) return found;
    char line[512];
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        std::uintptr_t start = 0, end = 0;
        if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR, &start, &end) == 2 && start <= address &&
            address < end) {
            found = {start, end};
            break;
        }
    }
    std::fclose(maps);
    return found;
}

// True when the C library's allocator serves ::operator new, so that its block headers can be
// read: not under valgrind or a sanitizer, whose allocators keep their own, nor with another malloc.
bool GlibcHeap() {
#if defined(QUON_SANITIZE) || defined(QUON_TSAN)
    return false;
#else
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload != nullptr && *preload != '\0') return false;
    Dl_info info{};
    return ::dladdr(reinterpret_cast<void*>(&std::malloc), &info) != 0 && info.dli_fname != nullptr &&
           std::strstr(info.dli_fname, "libc.so") != nullptr;
#endif
}

std::uint64_t WordAt(std::uintptr_t address) {
    std::uint64_t word;
    std::memcpy(&word, reinterpret_cast<const void*>(address), sizeof word);
    return word;
}

}  // namespace

std::string NotFromOperatorNew(const void* storage, std::size_t bytes) {
    if (storage == nullptr) return bytes == 0 ? "" : "null";
    const auto* byte = static_cast<const char*>(storage);
    const ThreadStackRange stack = CallingThreadStack();
    if (stack.low != nullptr && stack.low <= byte && byte < stack.high) return "on the calling thread's stack";
    Dl_info info{};
    if (::dladdr(storage, &info) != 0 && info.dli_fname != nullptr)
        return std::string("in the static storage of ") + (*info.dli_fname != '\0' ? info.dli_fname : "the executable");
    const auto address = reinterpret_cast<std::uintptr_t>(storage);
    const Mapping mapping = MappingOf(address);
    if (mapping.start == 0) return "in no mapping of the process";
    if (address == mapping.start) return "at the start of a mapping of its own (mapped, not allocated)";
    if (!GlibcHeap() || address % 16 != 0 || address - mapping.start < 16) return "";
    // A block of the C library's allocator: its size word (low bits: flags) sits 8 bytes before it.
    const std::uint64_t size = WordAt(address - 8);
    const std::uint64_t chunk = size & ~std::uint64_t{7};
    const std::uintptr_t header = address - 16;
    if ((size & 2) != 0) {  // a block mapped on its own
        if (chunk >= bytes + 16 && header + chunk <= mapping.end) return "";
    } else if (chunk >= 32 && header + chunk + 16 <= mapping.end && chunk - 8 >= bytes &&
               (WordAt(header + chunk + 8) & 1) != 0) {  // the next block says this one is in use
        return "";
    }
    return "not at the start of a heap block that holds it";
}

}  // namespace zul::platform
