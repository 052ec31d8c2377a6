// The camera mirror panel on a view model over fake services (offscreen).
#include "FloatingCameraMirrorController.h"
#include "CamStudioFakeServices.h"
#include "CamStudioViewModel.h"
#include "FakeStudioCamera.h"
#include "FloatingMirrorWidgetView.h"
#include "ZunoDraggableFloatingPanel.h"
#include "ZunoSymbolButton.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

class MirrorPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        fakes = CamStudioFakeServices::make(m_dir.path());
        fakes.services.panels.makeMirrorPanel = [this](CamStudioViewModel &model) {
            auto controller = std::make_unique<FloatingCameraMirrorController>(model);
            mirror = controller.get();
            return controller;
        };
        vm = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
    }
    void TearDown() override { vm.reset(); }

    FloatingMirrorWidgetView &content() { return *mirror->content(); }

    QTemporaryDir m_dir;
    CamStudioFakeServices fakes;
    std::unique_ptr<CamStudioViewModel> vm;
    FloatingCameraMirrorController *mirror = nullptr;
};

TEST_F(MirrorPanelTest, ShowsTheLatestFrameAndTheFramingStateAtOnce)
{
    vm->toggleFloatingMirror();
    ASSERT_TRUE(mirror && mirror->panel() && mirror->panel()->isVisible());
    EXPECT_TRUE(vm->isFloatingMirrorVisible());
    EXPECT_FALSE(content().hasFrame());
    const auto badgeFor
        = [](bool on) { return on ? QStringLiteral("Auto Framing") : QStringLiteral("Mirror"); };
    EXPECT_EQ(content().badgeText(), badgeFor(vm->camera().autoFaceFraming));

    QImage frame(640, 360, QImage::Format_RGB32);
    frame.fill(Qt::red);
    fakes.camera->pushFrame(frame);
    ASSERT_TRUE(QTest::qWaitFor([&] { return content().hasFrame(); }, 20000));

    // Both ways, at once.
    for (const bool on : { !vm->camera().autoFaceFraming, vm->camera().autoFaceFraming }) {
        CameraAdjustments camera = vm->camera();
        camera.autoFaceFraming = on;
        vm->setCamera(camera);
        EXPECT_EQ(content().badgeText(), badgeFor(on));
    }
}

TEST_F(MirrorPanelTest, CloseLeavesTheCameraRunningAndTheNextToggleShowsItAgain)
{
    vm->toggleFloatingMirror();
    ASSERT_TRUE(mirror);
    const bool cameraRunning = vm->isCameraRunning();
    EXPECT_TRUE(cameraRunning);
    QTest::mouseClick(content().closeButton(), Qt::LeftButton);
    EXPECT_FALSE(vm->isFloatingMirrorVisible());
    EXPECT_FALSE(mirror->panel()->isVisible());
    EXPECT_EQ(vm->isCameraRunning(), cameraRunning);
    vm->toggleFloatingMirror();
    EXPECT_TRUE(vm->isFloatingMirrorVisible());
    EXPECT_TRUE(mirror->panel()->isVisible());
}

TEST_F(MirrorPanelTest, OneWindowPutBackAtTheTopCentreOnEveryShow)
{
    int before = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        before += widget->windowTitle() == FloatingCameraMirrorController::kWindowTitle;
    vm->toggleFloatingMirror();
    ZunoDraggableFloatingPanel *panel = mirror->panel();
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("ZunoCam Camera Mirror"));
    EXPECT_TRUE(panel->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_EQ(panel->size(), QSize(340, 224));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint topCentre(screen.x() + std::lround(screen.width() / 2.0 - 170), screen.y() + 34);
    EXPECT_EQ(panel->pos(), topCentre);

    panel->move(5, 400); // dragged away
    vm->toggleFloatingMirror();
    vm->toggleFloatingMirror();
    EXPECT_EQ(mirror->panel(), panel);
    EXPECT_EQ(panel->pos(), topCentre);
    int after = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        after += widget->windowTitle() == FloatingCameraMirrorController::kWindowTitle;
    EXPECT_EQ(after, before + 1);
}
