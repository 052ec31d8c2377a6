#pragma once

#include <QImage>
#include <QSizeF>

// An emblem ready to show: one square bitmap, the logical size it stands for, and whether it is a
// template (only its alpha shape counts, tinted by the surrounding foreground colour).
struct ZunoEmblemImage {
    // N x N pixels, ARGB32 premultiplied, with a device pixel ratio of N / size.
    QImage bitmap;
    QSizeF size;
    bool isTemplate = false;
};
