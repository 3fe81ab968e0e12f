#include "hostabi/HostThreadWords.h"

#include "memory/ThreadCellPools.h"

// The host owns the per-thread words and exports them from the executable (host-exports.list);
// the library reads them from the host's static thread-local block.
extern "C" {
__attribute__((visibility("default"))) __thread QuonHostThreadWords quonHostThreadWords = {};
}

// Takes back a cell this host made (a makeArray carrier, an evaluated function's result) into the
// calling thread's cell pool 1, where it came from. Exported with the per-thread words.
extern "C" __attribute__((visibility("default"))) void quonHostReturnCell(void* cell) {
    QUON_Evaluator::FreeCell(cell);
}
