#pragma once

#include <QRectF>

#include <nlohmann/json_fwd.hpp>

// A window frame on the desktop, nested in `ZunoTaskLiveStatus`. The coordinates are the desktop's as
// Qt gives them (global, y down, device-independent pixels): every publisher and reader is this
// framework, so nothing is converted. Strict: all four keys required; only the constructor clamps.
struct ZunoScreenRect {
    // `width` and `height` at least 0 (a NaN stays).
    ZunoScreenRect(double x, double y, double width, double height);

    double x;
    double y;
    double width;
    double height;

    bool operator==(const ZunoScreenRect &) const = default;

    QRectF toRectF() const { return QRectF(x, y, width, height); }

    nlohmann::json toJson() const;
    static ZunoScreenRect fromJson(const nlohmann::json &json);
};
