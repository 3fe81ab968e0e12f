// `quon-host life`: Life boards stepped by the library (being built).
#include "host/tool/Tool.h"

namespace quon_host {

void AddLifeCommand(CLI::App&, Tool&) {}

}  // namespace quon_host
