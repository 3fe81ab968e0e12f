#include "memory/MemoryPoolRegistry.h"

#include <atomic>

#include "memory/MemoryPool.h"

namespace zmm {

namespace {
// Set by the registry's destructor. A plain constant-initialised flag, so it stays readable
// after the registry itself is gone.
constinit std::atomic<bool> registryShutDown{false};
}  // namespace

MemoryPoolRegistry& MemoryPoolRegistry::Instance() {
    static MemoryPoolRegistry registry;
    return registry;
}

MemoryPoolRegistry::~MemoryPoolRegistry() {
    std::lock_guard<std::mutex> guard(mutex);
    registryShutDown.store(true);
}

void MemoryPoolRegistry::Register(MemoryPool* pool) {
    if (registryShutDown.load()) return;
    MemoryPoolRegistry& registry = Instance();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::string name = pool->GetName();
    for (unsigned k = 1; registry.poolsByName.count(name) != 0; ++k)
        name = pool->GetName() + " - COPY_" + std::to_string(k);
    registry.poolsByName.emplace(name, pool);
    registry.namesByPool.emplace(pool, std::move(name));
}

void MemoryPoolRegistry::Unregister(MemoryPool* pool) {
    if (registryShutDown.load()) return;
    MemoryPoolRegistry& registry = Instance();
    std::lock_guard<std::mutex> guard(registry.mutex);
    auto found = registry.namesByPool.find(pool);
    if (found == registry.namesByPool.end()) return;
    if (registry.retiredDescriptions.size() == kMaxRetiredDescriptions)
        registry.retiredDescriptions.pop_front();
    registry.retiredDescriptions.push_back(pool->GetDescription());
    registry.poolsByName.erase(found->second);
    registry.namesByPool.erase(found);
}

std::string MemoryPoolRegistry::GetRegisteredName(const MemoryPool* pool) {
    std::lock_guard<std::mutex> guard(mutex);
    auto found = namesByPool.find(pool);
    return found != namesByPool.end() ? found->second : std::string();
}

MemoryPool* MemoryPoolRegistry::FindPool(const std::string& name) {
    std::lock_guard<std::mutex> guard(mutex);
    auto found = poolsByName.find(name);
    return found != poolsByName.end() ? found->second : nullptr;
}

std::size_t MemoryPoolRegistry::GetPoolCount() {
    std::lock_guard<std::mutex> guard(mutex);
    return namesByPool.size();
}

std::vector<std::string> MemoryPoolRegistry::GetRetiredDescriptions() {
    std::lock_guard<std::mutex> guard(mutex);
    return {retiredDescriptions.begin(), retiredDescriptions.end()};
}

}  // namespace zmm
