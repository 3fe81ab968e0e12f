#include "hostabi/HostThreadWords.h"

// The host owns the per-thread words and exports them from the executable (host-exports.list);
// the library reads them from the host's static thread-local block.
extern "C" {
__attribute__((visibility("default"))) __thread QuonHostThreadWords quonHostThreadWords = {};
}
