#pragma once

#include "CameraColorMatrix.h"
#include "CameraPixelBuffer.h"

#include <QRectF>

// The image operations behind the colour pipeline and portrait compositing. Rectangles are in pixels
// with a top-left origin. Destinations are resized with `ensure`, so buffers kept between frames
// allocate once. Rows are split across the worker threads (CameraImageKernels::setThreadCount).
namespace CameraImageKernels {

// Worker threads for the row loops (1 runs everything on the caller's thread).
void setThreadCount(int threads);
int threadCount();

// The AVX2 rows are used where the processor has them; tests switch them off to check that the
// portable rows give the same bytes.
void setVectorPathsAllowed(bool allowed);
bool vectorPathsActive();

// Scales the part of a BGRA `source` under `rect` to `width` x `height` (bilinear). The rectangle may
// start and end between pixels, so a crop that moves by a fraction of a pixel moves the picture by
// that fraction; samples never reach beyond the rectangle's outer pixels.
void cropAndScale(const CameraPixelBuffer &source, const QRectF &rect, int width, int height,
    CameraPixelBuffer &destination);

struct ColorPass {
    CameraColorMatrix matrix; // linear light, after the tone (saturation, white point)
    bool mirror = false; // flip about the vertical centre line
    double vignetteIntensity = 0; // 0: no vignette
    double vignetteRadius = 1.8;
    // The tone of each channel, before the matrix: exposure multiplies linear values by 2^EV, then
    // contrast scales the sRGB-encoded values around their mid point (0.5), the way a contrast
    // control is seen: mid grey stays, and only values below 0.5 − 0.5 / contrast become black.
    double exposureEV = 0;
    double contrast = 1;
};

// One fused pass: sRGB decode with the tone, matrix, vignette, sRGB encode, mirror. `source` and
// `destination` must not be the same buffer.
void colorPass(const CameraPixelBuffer &source, const ColorPass &pass, CameraPixelBuffer &destination);

// cropAndScale, then colorPass, in one pass over the rows: the same bytes without writing and reading
// back the scaled frame. `scratch` holds the scaled frame only where a rectangle needs whole pixels.
void cropScaleAndColor(const CameraPixelBuffer &source, const QRectF &rect, int width, int height,
    const ColorPass &pass, CameraPixelBuffer &destination, CameraPixelBuffer &scratch);

// The vignette's brightness factor at a pixel centre (what colorPass multiplies linear values by).
float vignetteFactor(int x, int y, int width, int height, double intensity, double radius);

// Intermediate buffers of a reduced-resolution blur, kept by the caller between frames.
struct BlurScratch {
    CameraPixelBuffer levels[3]; // 1/2, 1/4, 1/8 of the size
    CameraPixelBuffer graded;
    CameraPixelBuffer halfMask;
};

// Gaussian blur with standard deviation `radius` and clamped edges (edge pixels extend outwards, so
// borders do not darken). Large radii run at reduced resolution. With `grade`, that colour
// transform is applied to the blurred picture on the way (cheap at the reduced size; its mirror and
// vignette are not used).
void gaussianBlur(const CameraPixelBuffer &source, double radius, CameraPixelBuffer &destination,
    BlurScratch &scratch, const ColorPass *grade = nullptr);

// Stretches a one-channel mask to `width` x `height` (bilinear), then feathers it with a Gaussian
// of `featherRadius` (clamped edges).
void stretchAndFeatherMask(const CameraPixelBuffer &mask, int width, int height, double featherRadius,
    CameraPixelBuffer &destination, BlurScratch &scratch);

// destination = foreground where the mask is white, background where it is black, mixed between.
void blendWithMask(const CameraPixelBuffer &foreground, const CameraPixelBuffer &background,
    const CameraPixelBuffer &mask, CameraPixelBuffer &destination);

} // namespace CameraImageKernels
