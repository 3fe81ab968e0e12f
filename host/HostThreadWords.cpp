#include "evaluator/HostThreadWords.h"

// The host owns the per-thread words; the library reads them from the host's static TLS.
extern "C" __attribute__((visibility("default"))) __thread QuonHostThreadWords quonHostThreadWords = {};
