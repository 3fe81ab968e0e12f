// A small shared module with its own copy of the runtime, standing for "the other module" in
// the cross-module tests: it makes, copies and drops pooled strings and inter-module proxies
// with its own code, and reports on its own string pool.
#include <cstddef>
#include <string>

#include "memory/InterModuleProxy.h"
#include "strings/StringMemoryPool.h"
#include "strings/tBaseString.h"

using zul::zulStdString::tBaseString;

#define PEER_EXPORT extern "C" __attribute__((visibility("default")))

PEER_EXPORT tBaseString* PeerMakeBody(const char* text) {
    return tBaseString::New(text);
}

PEER_EXPORT tBaseString* PeerCopyBody(const tBaseString* source) {
    return tBaseString::Copy(*source);
}

PEER_EXPORT void PeerReleaseBody(tBaseString* body) {
    body->Release();
}

PEER_EXPORT std::size_t PeerStringPoolFreeBlocks() {
    return zul::zulStdString::CountFreeBodyBlocks();
}

PEER_EXPORT std::size_t PeerStringPoolZones() {
    return zul::zulStdString::StringMemoryPool().GetZoneManager().GetZoneCount();
}

PEER_EXPORT zul::InterModuleProxy<std::string>* PeerMakeProxy(const char* text) {
    return new zul::InterModuleProxy<std::string>(text);
}
