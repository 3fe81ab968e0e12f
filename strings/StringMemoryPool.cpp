#include "strings/StringMemoryPool.h"

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "memory/BlockCache.h"
#include "platform/Platform.h"

namespace zul::zulStdString {

namespace {

using BodyCache = zmm::BlockCache<tStringMemoryPool::kBlockSize>;
constexpr std::size_t kBatch = BodyCache::kBatch;

// The pool lives while the module's static objects do or any of its blocks is out of it (in use
// or in a thread's cache): a body the host releases at exit, after this module's statics have
// ended, still finds it. Both words are never destroyed (no destructor), so they stay readable
// that late.
constinit tStringMemoryPool* thePool = nullptr;
constinit std::atomic<std::int64_t> poolUsers{0};  // blocks out of the pool, plus one for the statics

void DropPoolUsers(std::int64_t users) {
    if (poolUsers.fetch_sub(users, std::memory_order_acq_rel) == users) {
        delete thePool;  // the last block came back after the statics ended: the zones go back too
        thePool = nullptr;
    }
}

// A thread's cache, in the list of every thread's cache so that the statics can take them back.
// Each on its own cache line: two threads' caches made one after the other would share one.
struct alignas(zul::platform::kCacheLineSize) ThreadCache {
    BodyCache blocks;
    ThreadCache* previous = nullptr;
    ThreadCache* next = nullptr;
    bool closed = false;  // the statics have ended: bodies go straight to the pool
};

// The calling thread's cache. One word, initial-exec: in a dlopened module the default model
// makes every access a call.
__thread ThreadCache* threadCache __attribute__((tls_model("initial-exec"))) = nullptr;

// Gives the top `count` blocks of `cache` back to the pool as one chain.
void GiveBack(ThreadCache& cache, std::size_t count) {
    if (count == 0) return;
    void* last = nullptr;
    void* first = cache.blocks.TakeTop(count, last);
    thePool->GetAllocator().FreeChain(first, last);
    DropPoolUsers(static_cast<std::int64_t>(count));
}

// Gives every block of `cache` back to the pool.
void Drain(ThreadCache& cache) {
    GiveBack(cache, cache.blocks.Count());
}

// The statics' share of the pool, and the list of thread caches. A thread's cache is found
// through a thread-specific key whose destructor gives it back at thread exit; unlike a
// thread_local object's, that destructor does not keep a dlopened module loaded, and deleting
// the key when the statics end means it is never called into an unloaded module.
class Statics {
public:
    Statics() {
        thePool = new tStringMemoryPool("myStringMemoryPool");
        poolUsers.store(1, std::memory_order_release);
        keyMade = ::pthread_key_create(&key, &EndThreadCache) == 0;
        theStatics = this;
    }

    ~Statics() {
        {
            std::lock_guard<std::mutex> guard(mutex);
            theStatics = nullptr;
            // Other threads' caches stay allocated (their threads still point at them), closed.
            for (ThreadCache* cache = first; cache != nullptr; cache = cache->next) {
                Drain(*cache);
                cache->closed = true;
            }
            first = nullptr;
        }
        if (keyMade) ::pthread_key_delete(key);
        delete threadCache;
        threadCache = nullptr;
        DropPoolUsers(1);
    }

    // The calling thread's new cache, or null when no key could be made.
    ThreadCache* MakeThreadCache() {
        if (!keyMade) return nullptr;
        auto* cache = new ThreadCache;
        std::lock_guard<std::mutex> guard(mutex);
        Link(cache);
        ::pthread_setspecific(key, cache);
        threadCache = cache;
        return cache;
    }

    static Statics* Alive() { return theStatics; }

private:
    void Link(ThreadCache* cache) {
        cache->next = first;
        if (first != nullptr) first->previous = cache;
        first = cache;
    }

    void Unlink(ThreadCache* cache) {
        if (cache->previous != nullptr)
            cache->previous->next = cache->next;
        else
            first = cache->next;
        if (cache->next != nullptr) cache->next->previous = cache->previous;
    }

    // Thread exit: the cache goes back to the pool.
    static void EndThreadCache(void* value) {
        auto* cache = static_cast<ThreadCache*>(value);
        if (Statics* statics = theStatics) {
            std::lock_guard<std::mutex> guard(statics->mutex);
            if (!cache->closed) {
                statics->Unlink(cache);
                Drain(*cache);
            }
        }
        if (threadCache == cache) threadCache = nullptr;
        delete cache;
    }

    static inline constinit Statics* theStatics = nullptr;
    std::mutex mutex;              // guards the list
    ThreadCache* first = nullptr;  // every open thread cache
    pthread_key_t key{};
    bool keyMade = false;
};

Statics& TheStatics() {
    static Statics statics;
    return statics;
}

// The calling thread's open cache, made on first use; null once the statics have ended.
ThreadCache* CurrentCache() {
    ThreadCache* cache = threadCache;
    if (cache != nullptr) [[likely]]
        return cache->closed ? nullptr : cache;
    TheStatics();
    Statics* statics = Statics::Alive();
    return statics != nullptr ? statics->MakeThreadCache() : nullptr;
}

}  // namespace

tStringMemoryPool& StringMemoryPool() {
    TheStatics();
    return *thePool;
}

void* AllocateBodyBlock() {
    ThreadCache* cache = CurrentCache();
    if (cache == nullptr) {
        void* block = StringMemoryPool().Allocate();
        poolUsers.fetch_add(1, std::memory_order_relaxed);
        return block;
    }
    if (void* block = cache->blocks.Pop()) [[likely]]
        return block;
    void* last = nullptr;
    void* first = thePool->GetAllocator().AllocateChain(kBatch, last);
    poolUsers.fetch_add(static_cast<std::int64_t>(kBatch), std::memory_order_relaxed);
    cache->blocks.Fill(first, kBatch);
    return cache->blocks.Pop();
}

void FreeBodyBlock(void* block) {
    ThreadCache* cache = threadCache;
    if (cache == nullptr || cache->closed) {
        thePool->Free(block);
        DropPoolUsers(1);
        return;
    }
    if (cache->blocks.Push(block)) [[likely]]
        return;
    GiveBack(*cache, kBatch);
    cache->blocks.Push(block);
}

std::size_t CountFreeBodyBlocks() {
    const ThreadCache* cache = threadCache;
    return StringMemoryPool().GetAllocator().CountFreeBlocks() +
           (cache != nullptr ? cache->blocks.Count() : 0);
}

}  // namespace zul::zulStdString
