// Once warm, a frame through the segmenter and the face detector allocates no memory. Counted by
// standing in for the C allocator in this test program, on the test's own thread only.
#include "CameraFaceDetector.h"
#include "SelfiePersonSegmenter.h"

#include "NeuralPortraitFrames.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define ZUNO_COUNT_ALLOCATIONS 0
#else
#define ZUNO_COUNT_ALLOCATIONS 1
#endif

namespace {
thread_local bool t_counting = false;
thread_local long t_allocations = 0;
} // namespace

#if ZUNO_COUNT_ALLOCATIONS
extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *pointer, std::size_t size);
void *__libc_memalign(std::size_t alignment, std::size_t size);

void *malloc(std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    return __libc_malloc(size);
}
void *calloc(std::size_t count, std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    return __libc_calloc(count, size);
}
void *realloc(void *pointer, std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    return __libc_realloc(pointer, size);
}
void *aligned_alloc(std::size_t alignment, std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    return __libc_memalign(alignment, size);
}
int posix_memalign(void **out, std::size_t alignment, std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12; // ENOMEM
}
}
#endif

namespace {

TEST(NeuralAllocationTest, SteadyFramesAllocateNothing)
{
    if (!ZUNO_COUNT_ALLOCATIONS)
        GTEST_SKIP() << "the sanitizer owns the allocator";
    const QImage frame = neuralPortraitFrames()[1].image; // 1280x720 with a face
    const NeuralImageView view = NeuralImageView::of(frame);
    const CameraPixelBuffer buffer = CameraPixelBuffer::fromQImage(frame);
    SelfiePersonSegmenter segmenter;
    CameraPixelBuffer masks[2];  // the portrait engine alternates between two mask buffers
    int frameNumber = 0;
    CameraFaceDetector detector;
    ASSERT_TRUE(detector.usesModel());
    auto oneFrame = [&] {
        QString error;
        const bool segmented = segmenter.segment(buffer, masks[frameNumber++ % 2], error) == PersonSegmenter::Outcome::mask;
        const CameraFaceDetection face = detector.detect(view);
        return segmented && face.face.has_value();
    };
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(oneFrame());

    t_allocations = 0;
    t_counting = true;
    bool ok = true;
    for (int i = 0; i < 10; ++i)
        ok = oneFrame() && ok;
    t_counting = false;
    EXPECT_TRUE(ok);
    EXPECT_EQ(t_allocations, 0);

    // The counter itself works.
    t_counting = true;
    QImage probe(64, 64, QImage::Format_RGB32);
    t_counting = false;
    EXPECT_GT(t_allocations, 0);
}

} // namespace
