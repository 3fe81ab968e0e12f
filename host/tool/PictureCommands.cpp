// `quon-host mandelbrot` and `julia`: escape counts rendered to PNG (being built).
#include "host/tool/Tool.h"

namespace quon_host {

void AddPictureCommands(CLI::App&, Tool&) {}

}  // namespace quon_host
