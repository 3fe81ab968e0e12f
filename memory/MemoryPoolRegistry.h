// The process-wide directory of live pools by unique name, plus the descriptions of the
// pools that have died.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace zmm {

class MemoryPool;

class MemoryPoolRegistry {
public:
    // Retired descriptions kept; older ones are dropped so that a host starting thread after
    // thread does not grow the list without end.
    static constexpr std::size_t kMaxRetiredDescriptions = 4096;

    static MemoryPoolRegistry& Instance();

    // Both are no-ops once the registry has been destroyed at unload, so pools that die
    // later (threads outliving static destruction) never touch it.
    static void Register(MemoryPool* pool);
    static void Unregister(MemoryPool* pool);

    // Observers.
    std::string GetRegisteredName(const MemoryPool* pool);  // empty if not registered
    MemoryPool* FindPool(const std::string& name);          // null if not registered
    std::size_t GetPoolCount();
    std::vector<std::string> GetRetiredDescriptions();

    MemoryPoolRegistry(const MemoryPoolRegistry&) = delete;
    MemoryPoolRegistry& operator=(const MemoryPoolRegistry&) = delete;

private:
    MemoryPoolRegistry() = default;
    ~MemoryPoolRegistry();

    std::map<std::string, MemoryPool*> poolsByName;        // unique name -> live pool
    std::map<const MemoryPool*, std::string> namesByPool;  // live pool -> the name it got
    std::deque<std::string> retiredDescriptions;           // last descriptions of dead pools, in order
    std::mutex mutex;                                      // guards the three above
};

}  // namespace zmm
