// The presentation overlay on a view model over fake services (offscreen: no keyboard grab).
#include "PresentationLaserOverlayController.h"
#include "CamStudioFakeServices.h"
#include "CamStudioViewModel.h"
#include "CountingDocumentStore.h"
#include "LaserCanvasView.h"
#include "ZunoWaitUntil.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

class LaserOverlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        fakes = CamStudioFakeServices::make(m_dir.path());
        std::shared_ptr<ZunoAppLogger> logger = fakes.logger;
        fakes.services.panels.makeLaserOverlay
            = [this, logger](CamStudioViewModel &, std::function<void()> onDismiss) {
                  auto controller = std::make_unique<PresentationLaserOverlayController>(
                      [this, onDismiss] {
                          ++dismissals;
                          onDismiss();
                      },
                      logger, [this] { return now; });
                  laser = controller.get();
                  return controller;
              };
        vm = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
    }
    void TearDown() override { vm.reset(); }

    LaserCanvasView &canvas() { return *laser->canvas(); }

    QTemporaryDir m_dir;
    CamStudioFakeServices fakes;
    std::unique_ptr<CamStudioViewModel> vm;
    PresentationLaserOverlayController *laser = nullptr;
    double now = 10;
    int dismissals = 0;
};

TEST_F(LaserOverlayTest, EachShowStartsFreshAndEscapeLeavesOnce)
{
    vm->setOverlayMode(PresentationOverlayMode::numberedStamp);
    vm->toggleLaserOverlay();
    ASSERT_TRUE(laser && laser->window() && laser->canvas());
    EXPECT_TRUE(vm->isLaserOverlayVisible());
    EXPECT_TRUE(laser->window()->isVisible());
    EXPECT_TRUE(canvas().isFading());
    EXPECT_EQ(canvas().state().mode(), PresentationOverlayMode::numberedStamp);

    // Draw, choose another tool and colour by key: the view model's tool and the document stay.
    ASSERT_TRUE(vm->flushDocument(std::chrono::milliseconds(20000)));
    const int saves = fakes.store->saves();
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(&canvas(), Qt::Key_3);
    QTest::keyClick(&canvas(), Qt::Key_B);
    QTest::keyClick(&canvas(), Qt::Key_A);
    EXPECT_EQ(canvas().state().annotations().size(), 1u);
    EXPECT_EQ(canvas().state().mode(), PresentationOverlayMode::arrowTool);
    EXPECT_EQ(vm->overlayMode(), PresentationOverlayMode::numberedStamp);
    ASSERT_TRUE(vm->flushDocument(std::chrono::milliseconds(20000)));
    EXPECT_EQ(fakes.store->saves(), saves);

    QPointer<QWidget> window = laser->window();
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    EXPECT_EQ(dismissals, 1);
    EXPECT_FALSE(vm->isLaserOverlayVisible());
    EXPECT_FALSE(laser->window());
    EXPECT_TRUE(!window || !window->isVisible());
    ASSERT_TRUE(waitUntil([&] { return window.isNull(); }, 5000,
        "the overlay window to be deleted")); // once the key event is done

    // The next toggle: a fresh canvas with the view model's tool.
    vm->toggleLaserOverlay();
    ASSERT_TRUE(laser->canvas());
    EXPECT_TRUE(canvas().state().annotations().empty());
    EXPECT_EQ(canvas().state().colorIndex(), 0);
    EXPECT_FALSE(canvas().state().dimBackdrop());
    EXPECT_EQ(canvas().state().nextStampNumber(), 1);
    EXPECT_EQ(canvas().state().mode(), PresentationOverlayMode::numberedStamp);

    // The studio's tool choice reaches the open canvas.
    vm->setOverlayMode(PresentationOverlayMode::cursorSpotlight);
    EXPECT_EQ(canvas().state().mode(), PresentationOverlayMode::cursorSpotlight);

    vm->toggleLaserOverlay();
    EXPECT_FALSE(laser->window());
    EXPECT_EQ(dismissals, 1);
    laser->hide(); // nothing shown: harmless
    laser->setMode(PresentationOverlayMode::freehandPen);
    EXPECT_FALSE(laser->canvas());
}

TEST_F(LaserOverlayTest, FadeTimerRunsOnlyWhileShownAndTrailFades)
{
    vm->toggleLaserOverlay();
    ASSERT_TRUE(laser && laser->canvas());
    QPointer<LaserCanvasView> view = laser->canvas();
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(view->state().laserTrail().size(), 1u);
    now += 0.76;
    // The 60 Hz timer prunes it.
    ASSERT_TRUE(
        waitUntil([&] { return view->state().laserTrail().empty(); }, 5000, "the laser trail to fade"));
    vm->toggleLaserOverlay();
    EXPECT_TRUE(!view || !view->isFading());
}
