// Renders escape counts into a picture on several threads: rows are handed out one at a time
// through an atomic counter, each thread counting with its own EscapeCounter under its own
// evaluator.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "quon-host/picture/EscapeCounters.h"
#include "quon-host/picture/Palette.h"
#include "quon-host/picture/PngWriter.h"

namespace quon_host {

// The part of the plane a picture shows: square pixels around a centre; at zoom 1 the picture's
// shorter side spans 3 units. Row 0 is the top (largest y).
struct PlaneView {
    int width = 0, height = 0;
    double centerX = 0.0, centerY = 0.0, zoom = 1.0;

    double PixelSize() const { return 3.0 / zoom / (width < height ? width : height); }
    double X(int column) const { return centerX + (column + 0.5 - width / 2.0) * PixelSize(); }
    double Y(int row) const { return centerY - (row + 0.5 - height / 2.0) * PixelSize(); }
};

// Makes a counter; called once on each rendering thread after its evaluator is installed.
using CounterFactory = std::function<std::unique_ptr<EscapeCounter>()>;

struct RenderJob {
    PlaneView view;
    std::vector<Rgb> colours;  // by count, from 0 to the iterations
    unsigned threads = 1;
    bool progress = false;  // a progress bar on standard error
};

// The picture, count by count coloured from the job's table. The first error a thread meets
// stops the others and is thrown here once all have ended.
RgbImage Render(const RenderJob& job, const CounterFactory& makeCounter);

}  // namespace quon_host
