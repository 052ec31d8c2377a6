#pragma once

// A two-dimensional displacement in pixels, x to the right and y upwards.
struct ZunoVector {
    double dx = 0.0;
    double dy = 0.0;

    friend bool operator==(const ZunoVector &, const ZunoVector &) = default;
};
