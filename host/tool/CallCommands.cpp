// `quon-host call`, `eval` and `repl`: rows called from the shell (being built).
#include "host/tool/Tool.h"

namespace quon_host {

void AddCallCommands(CLI::App&, Tool&) {}

}  // namespace quon_host
