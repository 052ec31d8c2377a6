#pragma once

// What kinds of element a group's routines use, read from the primitives they draw.

#include "EmblemRecorder.h"

#include <array>
#include <vector>

struct EmblemProfile {
    enum Kind {
        cutouts,
        strokes,
        roundedRects,
        filledDiscs,
        strokedEllipses,
        arcs,
        beziers,
        straightLinePaths,
        sharedShapes,
        kindCount
    };
    static const char *label(Kind kind);

    int routines = 0;
    std::vector<int> elementCounts;
    // Per kind, how many routines use it at least once.
    std::array<int, kindCount> routinesUsing {};

    // Adds one routine's white-glass drawing.
    void add(const std::vector<RecordedPrimitive> &primitives);
};
