// The camera tab on a view model with fake services: every setting's binding, the camera picker, the
// preview and its overlays, and the recording controls.
#include "StudioTestFixture.h"

#include "CameraPreviewBox.h"
#include "CameraRecordingActionButtons.h"
#include "CameraRecordingLiveBadge.h"
#include "CameraStudioView.h"
#include "FakeStudioRecorder.h"
#include "FramingRuleOfThirdsGridView.h"
#include "PortraitBackgroundPickerSection.h"
#include "StudioSliderControl.h"
#include "ZunoButton.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassSwitch.h"
#include "ZunoGlassTokens.h"
#include "ZunoProductPalette.h"
#include "ZunoSegmentedControl.h"
#include "ZunoSymbolIcon.h"
#include "ZunoTestWheel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>

namespace {

const QColor kAccent(255, 111, 97);

QImage frameOf(int width, int height)
{
    QImage frame(width, height, QImage::Format_ARGB32);
    frame.fill(QColor(40, 120, 200));
    return frame;
}

bool isActive(const ZunoButton *button)
{
    return static_cast<const ZunoGlassButtonStyle &>(button->buttonStyle()).isActive();
}

} // namespace

class CameraTabTest : public StudioTest {
protected:
    void open(int cameras = 1)
    {
        start(cameras);
        view = std::make_unique<CameraStudioView>(*vm, kAccent);
        view->resize(1100, 760);
        view->show();
        flush();
        mark();
    }

    void mark()
    {
        flush();
        savesBefore = fakes.store->saves();
        pushesBefore = fakes.log->count(QStringLiteral("camera.updateAdjustments"));
    }
    int newSaves()
    {
        flush();
        return fakes.store->saves() - savesBefore;
    }
    int newPushes() const
    {
        return fakes.log->count(QStringLiteral("camera.updateAdjustments")) - pushesBefore;
    }

    // Starts the camera and hands the view a frame.
    void goLive(const QImage &frame)
    {
        vm->toggleCameraPreview();
        ASSERT_TRUE(vm->isCameraRunning());
        fakes.camera->pushFrame(frame);
        ASSERT_TRUE(QTest::qWaitFor([&] { return vm->latestCameraFrame().size() == frame.size(); }, kWait));
        QCoreApplication::processEvents();
    }

    void TearDown() override
    {
        view.reset();
        StudioTest::TearDown();
    }

    std::unique_ptr<CameraStudioView> view;
    int savesBefore = 0;
    int pushesBefore = 0;
};

TEST_F(CameraTabTest, EveryControlWritesItsOneFieldOnceAndFollowsTheModelWithoutWriting)
{
    open();
    struct Case {
        const char *name;
        std::function<void()> userChange;
        std::function<bool(const CameraAdjustments &)> written; // the field holds the user's value
        std::function<void(CameraAdjustments &)> modelChange;
        std::function<bool()> controlShows; // the control shows the model's value
    };
    auto slider = [this](std::size_t i) { return view->sliders()[i]->slider(); };
    const Case cases[] = {
        { "mirror", [&] { view->mirrorSwitch()->click(); }, [](auto &c) { return !c.isMirrored; },
            [](auto &c) { c.isMirrored = true; }, [&] { return view->mirrorSwitch()->isChecked(); } },
        { "face framing", [&] { view->faceFramingSwitch()->click(); },
            [](auto &c) { return !c.autoFaceFraming; }, [](auto &c) { c.autoFaceFraming = true; },
            [&] { return view->faceFramingSwitch()->isChecked(); } },
        { "reveal", [&] { view->revealSwitch()->click(); }, [](auto &c) { return c.revealRecordingInFinder; },
            [](auto &c) { c.revealRecordingInFinder = false; },
            [&] { return !view->revealSwitch()->isChecked(); } },
        { "grid", [&] { view->gridSwitch()->click(); }, [](auto &c) { return c.showFramingGrid; },
            [](auto &c) { c.showFramingGrid = false; }, [&] { return !view->gridSwitch()->isChecked(); } },
        { "lower third", [&] { view->lowerThirdSwitch()->click(); }, [](auto &c) { return c.showLowerThird; },
            [](auto &c) { c.showLowerThird = false; },
            [&] { return !view->lowerThirdSwitch()->isChecked() && view->nameField()->isHidden(); } },
        { "name", [&] { QTest::keyClicks(view->nameField(), QStringLiteral("X")); },
            [](auto &c) { return c.lowerThirdName == QStringLiteral("Ada KestrelX"); },
            [](auto &c) { c.lowerThirdName = QStringLiteral("<b>Bo</b>"); },
            [&] { return view->nameField()->text() == QStringLiteral("<b>Bo</b>"); } },
        { "title", [&] { QTest::keyClick(view->titleField(), Qt::Key_Backspace); },
            [](auto &c) { return c.lowerThirdTitle == QStringLiteral("Quarnwell Suit"); },
            [](auto &c) { c.lowerThirdTitle = QString(); },
            [&] { return view->titleField()->text().isEmpty(); } },
        { "look", [&] { view->lookButtons()[4]->click(); },
            [](auto &c) { return c.lookPreset == CameraLookPreset::noirMono; },
            [](auto &c) { c.lookPreset = CameraLookPreset::warmStudio; },
            [&] {
                return isActive(view->lookButtons()[2]) && !isActive(view->lookButtons()[4])
                    && !view->lookChecks()[2]->isHidden() && view->lookChecks()[4]->isHidden();
            } },
        { "exposure", [&] { slider(0)->setValue(slider(0)->value() + 1); },
            [](auto &c) { return c.exposureEV == 0.01; }, [](auto &c) { c.exposureEV = -0.35; },
            [&] { return view->sliders()[0]->valueText() == QStringLiteral("-0.35"); } },
        { "warmth", [&] { slider(1)->setValue(slider(1)->minimum()); },
            [](auto &c) { return c.warmthShift == -1; }, [](auto &c) { c.warmthShift = 0.5; },
            [&] { return slider(1)->value() == 50; } },
        { "saturation", [&] { slider(2)->setValue(slider(2)->maximum()); },
            [](auto &c) { return c.saturation == 1.8; }, [](auto &c) { c.saturation = 0.4; },
            [&] { return view->sliders()[2]->valueText() == QStringLiteral("0.40"); } },
        { "contrast", [&] { slider(3)->setValue(slider(3)->minimum()); },
            [](auto &c) { return c.contrast == 0.7; }, [](auto &c) { c.contrast = 1.4; },
            [&] { return slider(3)->value() == slider(3)->maximum(); } },
        { "vignette", [&] { slider(4)->setValue(slider(4)->maximum()); },
            [](auto &c) { return c.vignetteIntensity == 1; }, [](auto &c) { c.vignetteIntensity = 0; },
            [&] { return view->sliders()[4]->valueText() == QStringLiteral("0.00"); } },
        { "zoom", [&] { slider(5)->setValue(slider(5)->maximum()); },
            [](auto &c) { return c.digitalZoom == 2.0; }, [](auto &c) { c.digitalZoom = 1.5; },
            [&] { return view->sliders()[5]->valueText() == QStringLiteral("1.50"); } },
        { "portrait", [&] { QTest::keyClick(view->portraitPicker()->picker(), Qt::Key_Right); },
            [](auto &c) { return c.portraitBackgroundMode == PortraitBackgroundMode::softBlur; },
            [](auto &c) { c.portraitBackgroundMode = PortraitBackgroundMode::studioDim; },
            [&] { return view->portraitPicker()->picker()->currentIndex() == 3; } },
    };
    for (const Case &c : cases) {
        // Turn the nameplate on so its fields can be typed in.
        CameraAdjustments before = vm->camera();
        before.showLowerThird = std::string(c.name) != "lower third";
        before.revealRecordingInFinder = false;
        before.showFramingGrid = false;
        vm->setCamera(before);
        mark();
        c.userChange();
        CameraAdjustments expected = before;
        EXPECT_TRUE(c.written(vm->camera())) << c.name;
        EXPECT_EQ(newPushes(), 1) << c.name;
        EXPECT_EQ(newSaves(), 1) << c.name;
        EXPECT_TRUE(c.written(fakes.camera->adjustments()))
            << c.name << ": the whole value reaches the camera";

        mark();
        CameraAdjustments fromModel = vm->camera();
        c.modelChange(fromModel);
        vm->setCamera(fromModel);
        EXPECT_TRUE(c.controlShows()) << c.name;
        EXPECT_EQ(vm->camera(), fromModel) << c.name << ": a re-sync writes nothing back";
        EXPECT_EQ(newPushes(), 0) << c.name;
        EXPECT_EQ(newSaves(), 0) << c.name;
    }
}

TEST_F(CameraTabTest, SlidersReachTheirBoundsAndShowStoredValuesAsStored)
{
    CamPersistedPayload payload;
    payload.camera.exposureEV = 3.0; // hand-edited, beyond the range
    writeDocument(payload);
    open();
    StudioSliderControl *exposure = view->sliders()[0];
    StudioSliderControl *zoom = view->sliders()[5];
    EXPECT_EQ(exposure->valueText(), QStringLiteral("3.00"));
    EXPECT_EQ(vm->camera().exposureEV, 3.0) << "not clamped by showing it";
    EXPECT_EQ(newSaves(), 0);

    vm->setLanguage(ZunoLanguage::tr);
    zoom->slider()->setValue(zoom->slider()->minimum());
    zoom->slider()->setValue(zoom->slider()->maximum());
    EXPECT_EQ(vm->camera().digitalZoom, 2.0);
    EXPECT_EQ(zoom->valueText(), QStringLiteral("2.00")) << "a full stop in Turkish too";
    zoom->slider()->setValue(zoom->slider()->minimum());
    EXPECT_EQ(vm->camera().digitalZoom, 1.0);
    EXPECT_EQ(zoom->valueText(), QStringLiteral("1.00"));
    EXPECT_EQ(zoom->title(), QStringLiteral("Dijital Yakınlaştırma"));
    EXPECT_EQ(vm->camera().exposureEV, 3.0) << "the other slider's stored value stays";
}

TEST_F(CameraTabTest, CameraPickerFollowsTheListAndRestartsOnlyARunningIdleCamera)
{
    open(0);
    EXPECT_TRUE(view->cameraPickerRow()->isHidden()) << "no camera, no picker";
    vm.reset();
    view.reset();
    fakes = {};

    open(1);
    vm->setSelectedCameraID(std::nullopt);
    EXPECT_FALSE(view->cameraPickerRow()->isHidden());
    EXPECT_EQ(view->cameraPicker()->currentText(), QStringLiteral("Camera 1"));
    view.reset();
    vm.reset();
    fakes = {};

    open(2);
    QComboBox *picker = view->cameraPicker();
    ASSERT_EQ(picker->count(), 2);
    EXPECT_EQ(picker->itemData(1).toString(), QStringLiteral("cam-2"));
    // Stopped: only the selection changes.
    const int startsBefore = fakes.log->count(QStringLiteral("camera.start"));
    picker->setCurrentIndex(1);
    emit picker->activated(1);
    EXPECT_EQ(vm->selectedCameraID(), QStringLiteral("cam-2"));
    EXPECT_FALSE(vm->isCameraRunning());
    EXPECT_EQ(fakes.log->count(QStringLiteral("camera.start")), startsBefore);
    EXPECT_EQ(newSaves(), 0);

    // Running and idle: restarts on the new device.
    vm->toggleCameraPreview();
    ASSERT_TRUE(vm->isCameraRunning());
    emit picker->activated(0);
    EXPECT_TRUE(vm->isCameraRunning());
    EXPECT_EQ(fakes.camera->startedDevice(), QStringLiteral("cam-1"));

    // Recording and finalizing: the picker cannot be used.
    fakes.recorder->holdStops(true);
    vm->startVideoRecording();
    ASSERT_TRUE(vm->isRecordingVideo());
    EXPECT_FALSE(picker->isEnabled());
    EXPECT_EQ(picker->toolTip(), QStringLiteral("Stop the recording to switch cameras."));
    vm->stopVideoRecording();
    ASSERT_TRUE(vm->isFinalizingVideo());
    EXPECT_FALSE(picker->isEnabled());
    fakes.recorder->finishHeldStop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->isRecordingVideo(); }, kWait));
    EXPECT_TRUE(picker->isEnabled());
    EXPECT_TRUE(vm->isCameraRunning());
}

TEST_F(CameraTabTest, PreviewShowsTheLiveFrameOnlyWhileRunningWithOverlaysOnThePicture)
{
    open();
    CameraPreviewBox *box = view->previewBox();
    EXPECT_FALSE(box->isLive());
    EXPECT_FALSE(box->placeholder()->isHidden());
    EXPECT_EQ(box->placeholderButton()->text(), QStringLiteral("Start Live Camera"));
    EXPECT_FALSE(view->snapshotButton()->isEnabled());
    EXPECT_EQ(view->cameraButton()->text(), QStringLiteral("Start Camera"));

    box->placeholderButton()->click();
    ASSERT_TRUE(vm->isCameraRunning());
    EXPECT_FALSE(box->isLive()) << "no frame yet: still the placeholder";
    EXPECT_TRUE(view->snapshotButton()->isEnabled());
    EXPECT_EQ(view->cameraButton()->text(), QStringLiteral("Stop Camera"));
    EXPECT_EQ(view->cameraButton()->symbol(), QStringLiteral("video.slash.fill"));
    fakes.camera->pushFrame(frameOf(1280, 720));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->latestCameraFrame().isNull(); }, kWait));
    QCoreApplication::processEvents();
    EXPECT_TRUE(box->isLive());
    EXPECT_TRUE(box->placeholder()->isHidden());

    // A box wider than the frame: the picture is centred and keeps 16:9.
    box->resize(600, 240);
    QCoreApplication::processEvents();
    const QRectF picture = box->pictureRect();
    EXPECT_NEAR(picture.height(), 240, 0.01);
    EXPECT_NEAR(picture.width(), 240 * 16.0 / 9, 0.01);
    EXPECT_NEAR(picture.center().x(), 300, 0.01);

    CameraAdjustments camera = vm->camera();
    camera.showFramingGrid = true;
    camera.showLowerThird = true;
    camera.lowerThirdName.clear();
    camera.lowerThirdTitle.clear();
    vm->setCamera(camera);
    vm->startVideoRecording();
    QCoreApplication::processEvents();
    EXPECT_EQ(box->pictureRect(), picture) << "overlays leave the picture where it is";
    const QRect at = picture.toAlignedRect();
    EXPECT_FALSE(box->grid()->isHidden());
    EXPECT_EQ(box->grid()->geometry(), at);
    EXPECT_FALSE(box->badge()->isHidden());
    EXPECT_EQ(box->badge()->pos(), at.topLeft() + QPoint(14, 14));
    EXPECT_FALSE(box->nameplate()->isHidden()) << "an empty plate still shows";
    EXPECT_EQ(box->nameplate()->geometry().left(), at.left() + 16);
    EXPECT_EQ(box->nameplate()->geometry().bottom(), at.bottom() - 16);
    EXPECT_EQ(box->nameplateName()->textFormat(), Qt::PlainText);
    vm->stopVideoRecording();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->isRecordingVideo(); }, kWait));
    EXPECT_TRUE(box->badge()->isHidden());

    // A frame left over after a stop is not shown.
    vm->toggleCameraPreview();
    ASSERT_FALSE(vm->isCameraRunning());
    EXPECT_FALSE(vm->latestCameraFrame().isNull());
    EXPECT_FALSE(box->isLive());
    EXPECT_FALSE(box->placeholder()->isHidden());
    EXPECT_TRUE(box->grid()->isHidden());
}

TEST_F(CameraTabTest, GridLinesLieAtThePicturesThirds)
{
    EXPECT_TRUE(FramingRuleOfThirdsGridView::gridPath(QSizeF(0, 150)).isEmpty());
    const QPainterPath path = FramingRuleOfThirdsGridView::gridPath(QSizeF(300, 150));
    ASSERT_EQ(path.elementCount(), 8);
    const QPointF expected[] = { { 100, 0 }, { 100, 150 }, { 200, 0 }, { 200, 150 }, { 0, 50 }, { 300, 50 },
        { 0, 100 }, { 300, 100 } };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(QPointF(path.elementAt(i)), expected[i]) << i;
    const QPen pen = FramingRuleOfThirdsGridView::gridPen();
    EXPECT_EQ(pen.dashPattern(), (QList<qreal> { 5, 5 }));
    EXPECT_EQ(pen.capStyle(), Qt::FlatCap);
    EXPECT_NEAR(pen.color().alphaF(), 0.28, 0.01);

    // Painted over a 300 × 150 picture: a dash starts at each third, the gaps stay clear.
    open();
    goLive(frameOf(300, 150));
    CameraAdjustments camera = vm->camera();
    camera.showFramingGrid = true;
    vm->setCamera(camera);
    FramingRuleOfThirdsGridView *grid = view->previewBox()->grid();
    grid->resize(300, 150);
    QImage image(300, 150, QImage::Format_ARGB32);
    image.fill(Qt::black);
    grid->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    auto lit = [&](int x, int y) { return qRed(image.pixel(x, y)) > 20; };
    EXPECT_TRUE(lit(100, 2));
    EXPECT_FALSE(lit(100, 7)) << "the gap";
    EXPECT_TRUE(lit(200, 12));
    EXPECT_TRUE(lit(2, 50));
    EXPECT_TRUE(lit(2, 100));
    EXPECT_FALSE(lit(150, 75));
}

TEST_F(CameraTabTest, RecordButtonAndBadgeFollowTheRecording)
{
    struct Row {
        bool recording;
        bool finalizing;
        double seconds;
        QString en;
        QString tr;
    };
    const Row rows[] = {
        { false, false, 0, QStringLiteral("Record MP4"), QStringLiteral("Kayıt Başlat") },
        { true, false, 3599, QStringLiteral("Stop (● REC 59:59)"), QStringLiteral("Durdur (● REC 59:59)") },
        { true, false, 3600, QStringLiteral("Stop (● REC 1:00:00)"),
            QStringLiteral("Durdur (● REC 1:00:00)") },
        { true, true, 12, QStringLiteral("Saving MP4…"), QStringLiteral("Kaydediliyor…") },
    };
    for (const Row &r : rows) {
        EXPECT_EQ(
            CameraRecordingActionButtons::recordText(r.recording, r.finalizing, r.seconds, ZunoLanguage::en),
            r.en);
        EXPECT_EQ(
            CameraRecordingActionButtons::recordText(r.recording, r.finalizing, r.seconds, ZunoLanguage::tr),
            r.tr);
    }

    open();
    vm->setLanguage(ZunoLanguage::tr);
    QAbstractButton *record = view->recordingButtons()->recordButton();
    EXPECT_EQ(record->text(), QStringLiteral("Kayıt Başlat"));
    EXPECT_EQ(view->recordingButtons()->folderButton()->text(), QStringLiteral("Kayıt Klasörünü Aç"));
    fakes.recorder->holdStops(true);
    record->click();
    ASSERT_TRUE(vm->isRecordingVideo());
    EXPECT_EQ(record->text(), QStringLiteral("Durdur (● REC 00:00)"));
    const CameraRecordingLiveBadge *badge = view->previewBox()->badge();
    EXPECT_EQ(badge->timeText(), QStringLiteral("REC 00:00"));
    EXPECT_EQ(badge->framesText(), QStringLiteral("H.264 · 0f")) << "the same in Turkish";
    fakes.recorder->report({ true, 3599.0, 1250, std::nullopt });
    QCoreApplication::processEvents();
    EXPECT_EQ(badge->timeText(), QStringLiteral("REC 59:59"));
    EXPECT_EQ(badge->framesText(), QStringLiteral("H.264 · 1250f"));

    record->click();
    ASSERT_TRUE(vm->isFinalizingVideo());
    EXPECT_EQ(record->text(), QStringLiteral("Kaydediliyor…"));
    EXPECT_FALSE(record->isEnabled());
    fakes.recorder->finishHeldStop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->isRecordingVideo(); }, kWait));
    EXPECT_TRUE(record->isEnabled());
    EXPECT_EQ(record->text(), QStringLiteral("Kayıt Başlat"));
}

TEST_F(CameraTabTest, PortraitHeaderFollowsTheModeAndResetRestoresEveryControl)
{
    open();
    PortraitBackgroundPickerSection *portrait = view->portraitPicker();
    struct Row {
        PortraitBackgroundMode mode;
        QString symbol;
        QString label;
        bool accent;
    };
    const Row rows[] = {
        { PortraitBackgroundMode::off, QStringLiteral("person.crop.rectangle"), QStringLiteral("Off"),
            false },
        { PortraitBackgroundMode::softBlur, QStringLiteral("aqi.low"), QStringLiteral("Soft Blur"), true },
        { PortraitBackgroundMode::strongBlur, QStringLiteral("aqi.medium"), QStringLiteral("Strong Blur"),
            true },
        { PortraitBackgroundMode::studioDim, QStringLiteral("light.recessed"), QStringLiteral("Studio Dim"),
            true },
    };
    const QColor coral = ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
    for (const Row &r : rows) {
        CameraAdjustments camera = vm->camera();
        camera.portraitBackgroundMode = r.mode;
        vm->setCamera(camera);
        EXPECT_EQ(portrait->titleSymbol()->symbol(), r.symbol);
        EXPECT_EQ(portrait->modeLabel()->text(), r.label);
        EXPECT_EQ(portrait->titleSymbol()->color(), r.accent ? coral : ZunoGlassTokens::textSecondary())
            << r.label.toStdString();
    }
    EXPECT_EQ(portrait->picker()->segments(),
        (QStringList { QStringLiteral("Off"), QStringLiteral("Soft"), QStringLiteral("Strong"),
            QStringLiteral("Dim") }));

    view->gridSwitch()->click();
    view->sliders()[5]->slider()->setValue(view->sliders()[5]->slider()->maximum());
    view->lookButtons()[1]->click();
    mark();
    view->resetButton()->click();
    EXPECT_EQ(vm->camera(), CameraAdjustments());
    EXPECT_FALSE(view->gridSwitch()->isChecked());
    EXPECT_EQ(view->sliders()[5]->valueText(), QStringLiteral("1.00"));
    EXPECT_TRUE(isActive(view->lookButtons()[0]));
    EXPECT_EQ(portrait->picker()->currentIndex(), 0);
    EXPECT_EQ(newSaves(), 1);

    // Pressing the current look again still applies.
    mark();
    view->lookButtons()[0]->click();
    EXPECT_EQ(newPushes(), 1);
    EXPECT_EQ(newSaves(), 1);
}

TEST_F(CameraTabTest, TheButtonRowKeepsItsPositionsWhileRecording)
{
    open();
    vm->toggleCameraPreview();
    ASSERT_TRUE(vm->isCameraRunning());
    fakes.recorder->holdStops(true);
    for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        SCOPED_TRACE(static_cast<int>(language));
        vm->setLanguage(language);
        QAbstractButton *record = view->recordingButtons()->recordButton();
        const auto positions = [&] {
            QCoreApplication::processEvents();
            return std::vector<QRect> { QRect(record->mapTo(view.get(), QPoint()), record->size()),
                QRect(view->recordingButtons()->folderButton()->mapTo(view.get(), QPoint()),
                    view->recordingButtons()->folderButton()->size()),
                QRect(view->snapshotButton()->mapTo(view.get(), QPoint()), view->snapshotButton()->size()) };
        };
        const std::vector<QRect> idle = positions();
        record->click();
        ASSERT_TRUE(vm->isRecordingVideo());
        EXPECT_EQ(positions(), idle) << "recording started";
        for (const double seconds : { 3599.0, 3600.0 * 12 + 61 }) {
            fakes.recorder->report({ true, seconds, 1250, std::nullopt });
            EXPECT_EQ(positions(), idle) << seconds << " s";
            EXPECT_GE(record->width(), record->sizeHint().width()) << "the whole text shows";
        }
        record->click();
        ASSERT_TRUE(vm->isFinalizingVideo());
        EXPECT_EQ(positions(), idle) << "finalizing";
        fakes.recorder->finishHeldStop();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->isRecordingVideo(); }, kWait));
        EXPECT_EQ(positions(), idle) << "idle again";
    }
}

TEST_F(CameraTabTest, TheWheelScrollsTheSettingsColumnAndChangesNoControlUnderThePointer)
{
    open(2);
    QScrollArea *column = nullptr;
    for (QScrollArea *area : view->findChildren<QScrollArea *>()) {
        if (area->isAncestorOf(view->sliders().front()))
            column = area;
    }
    ASSERT_TRUE(column);
    QScrollBar *bar = column->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the column scrolls at this size";
    const CameraAdjustments before = vm->camera();
    const std::optional<QString> camera = vm->selectedCameraID();

    std::vector<std::pair<QString, QWidget *>> controls { { QStringLiteral("camera picker"),
        view->cameraPicker() } };
    for (std::size_t i = 0; i < view->sliders().size(); ++i)
        controls.emplace_back(view->sliders()[i]->title(), view->sliders()[i]->slider());
    for (const auto &[name, control] : controls) {
        SCOPED_TRACE(name.toStdString());
        column->ensureWidgetVisible(control);
        QCoreApplication::processEvents();
        const int offset = bar->value();
        // Down while the column can go down, else up: either way the column moves.
        const int notches = offset < bar->maximum() ? -1 : 1;
        zunoWheelOver(control, notches);
        QCoreApplication::processEvents();
        EXPECT_NE(bar->value(), offset) << "the column scrolled";
        EXPECT_EQ(vm->camera(), before);
        EXPECT_EQ(vm->selectedCameraID(), camera);
        EXPECT_FALSE(control->hasFocus());
    }
    EXPECT_EQ(newSaves(), 0);
    EXPECT_EQ(newPushes(), 0);
    EXPECT_EQ(fakes.log->count(QStringLiteral("camera.start")), 0);

    // A focused slider takes the wheel: the user chose it.
    QSlider *exposure = view->sliders().front()->slider();
    column->ensureWidgetVisible(exposure);
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get(), kWait));
    exposure->setFocus();
    const int offset = bar->value();
    zunoWheelOver(exposure, 1);
    EXPECT_EQ(bar->value(), offset);
    EXPECT_NE(vm->camera().exposureEV, before.exposureEV);
    EXPECT_EQ(newSaves(), 1);
}
