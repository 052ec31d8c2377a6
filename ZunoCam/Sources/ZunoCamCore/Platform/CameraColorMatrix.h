#pragma once

// An affine colour transform on linear-light RGB: out = M · (r, g, b) + offset. Exposure, colour
// controls and white-point change compose into one matrix, so a frame's colour costs one pass.
struct CameraColorMatrix {
    // Rows r, g, b; columns r, g, b, offset.
    float m[3][4] = { { 1, 0, 0, 0 }, { 0, 1, 0, 0 }, { 0, 0, 1, 0 } };

    static CameraColorMatrix identity() { return {}; }
    // Multiplies linear values by 2^ev.
    static CameraColorMatrix exposure(double ev);
    // Saturation mixes each colour with its Rec. 709 luma; contrast scales around mid grey
    // (sRGB 0.5, linear 0.214).
    static CameraColorMatrix colorControls(double saturation, double contrast);
    // Adapts a picture shot under a `neutralKelvin` white so that a `targetKelvin` white becomes
    // neutral (Bradford); a target above the neutral warms the picture.
    static CameraColorMatrix temperature(double neutralKelvin, double targetKelvin);

    // `then(b)` applies this first, then b.
    CameraColorMatrix then(const CameraColorMatrix &b) const;
    bool isIdentity(float tolerance = 1e-5f) const;
};
