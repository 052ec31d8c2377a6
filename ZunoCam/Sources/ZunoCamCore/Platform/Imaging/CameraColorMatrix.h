#pragma once

// An affine colour transform on linear-light RGB: out = M · (r, g, b) + offset. Exposure, saturation
// and white-point change compose into matrices applied inside one pass over the frame (contrast is
// not linear in light, so it is a table of that pass: CameraImageKernels::ColorPass).
struct CameraColorMatrix {
    // Rows r, g, b; columns r, g, b, offset.
    float m[3][4] = { { 1, 0, 0, 0 }, { 0, 1, 0, 0 }, { 0, 0, 1, 0 } };

    static CameraColorMatrix identity() { return {}; }
    // Multiplies linear values by 2^ev.
    static CameraColorMatrix exposure(double ev);
    // Mixes each colour with its Rec. 709 luma: 0 gives grey, 1 leaves the colour.
    static CameraColorMatrix saturation(double saturation);
    // Adapts a picture shot under a `neutralKelvin` white so that a `targetKelvin` white becomes
    // neutral (Bradford); a target above the neutral warms the picture.
    static CameraColorMatrix temperature(double neutralKelvin, double targetKelvin);

    // `then(b)` applies this first, then b.
    CameraColorMatrix then(const CameraColorMatrix &b) const;
    bool isIdentity(float tolerance = 1e-5f) const;
};
