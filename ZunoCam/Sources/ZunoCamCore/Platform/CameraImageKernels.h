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

// Crops `source` to `rect` and scales the crop to `width` x `height` (bilinear).
void cropAndScale(const CameraPixelBuffer &source, const QRectF &rect, int width, int height,
    CameraPixelBuffer &destination);

struct ColorPass {
    CameraColorMatrix matrix; // applied in linear light
    bool mirror = false; // flip about the vertical centre line
    double vignetteIntensity = 0; // 0: no vignette
    double vignetteRadius = 1.8;
};

// One fused pass: sRGB decode, matrix, vignette, sRGB encode, mirror. `source` and `destination`
// must not be the same buffer.
void colorPass(const CameraPixelBuffer &source, const ColorPass &pass, CameraPixelBuffer &destination);

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
// transform is applied to the blurred picture on the way (cheap at the reduced size).
void gaussianBlur(const CameraPixelBuffer &source, double radius, CameraPixelBuffer &destination,
    BlurScratch &scratch, const CameraColorMatrix *grade = nullptr);

// Stretches a one-channel mask to `width` x `height` (bilinear), then feathers it with a Gaussian
// of `featherRadius` (clamped edges).
void stretchAndFeatherMask(const CameraPixelBuffer &mask, int width, int height, double featherRadius,
    CameraPixelBuffer &destination, BlurScratch &scratch);

// destination = foreground where the mask is white, background where it is black, mixed between.
void blendWithMask(const CameraPixelBuffer &foreground, const CameraPixelBuffer &background,
    const CameraPixelBuffer &mask, CameraPixelBuffer &destination);

} // namespace CameraImageKernels
