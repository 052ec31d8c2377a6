#include "CameraStudioView.h"

#include "CamStudioViewModel.h"
#include "CameraLookPreset.h"
#include "CameraPreviewBox.h"
#include "CameraRecordingActionButtons.h"
#include "PortraitBackgroundPickerSection.h"
#include "StudioSliderControl.h"
#include "StudioTabPage.h"
#include "ZunoButton.h"
#include "ZunoFlowLayout.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoGlassSwitch.h"
#include "ZunoGlassTokens.h"
#include "ZunoHotkeyDescriptor.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoProductPalette.h"
#include "ZunoSymbolIcon.h"
#include "ZunoText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The device picker's focus ring follows its rounded frame.
constexpr qreal kFieldFocusRadius = 6;

// The key of the mirror's global shortcut (M, with Super+Alt).
constexpr uint32_t kMirrorKeyCode = 0x2E;

struct SliderTitle {
    const char *en;
    const char *tr;
};

const SliderTitle kSliderTitles[] = {
    { "Exposure", "Pozlama" },
    { "Warmth", "Sıcaklık" },
    { "Saturation", "Doygunluk" },
    { "Contrast", "Kontrast" },
    { "Vignette", "Vinyet" },
    { "Digital Zoom", "Dijital Yakınlaştırma" },
};

} // namespace

const std::vector<CameraStudioView::SliderRow> &CameraStudioView::sliderRows()
{
    static const std::vector<SliderRow> rows = {
        { -1.5, 1.5, &CameraAdjustments::exposureEV },
        { -1, 1, &CameraAdjustments::warmthShift },
        { 0, 1.8, &CameraAdjustments::saturation },
        { 0.7, 1.4, &CameraAdjustments::contrast },
        { 0, 1, &CameraAdjustments::vignetteIntensity },
        { 1, 2, &CameraAdjustments::digitalZoom },
    };
    return rows;
}

CameraStudioView::CameraStudioView(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(22, 22, 22, 22);
    row->setSpacing(18);
    row->addWidget(makePreviewCard(), 1);
    row->addWidget(makeSettingsCard());

    connect(&m_viewModel, &CamStudioViewModel::cameraAdjustmentsChanged, this, [this] { syncCamera(); });
    connect(&m_viewModel, &CamStudioViewModel::camerasChanged, this, [this] { syncCameras(); });
    connect(&m_viewModel, &CamStudioViewModel::cameraRunningChanged, this, [this] { syncRunning(); });
    connect(&m_viewModel, &CamStudioViewModel::recordingChanged, this, [this] { syncCameras(); });
    connect(&m_viewModel, &CamStudioViewModel::presentationChanged, this, [this] { relabel(); });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, [this] { relabel(); });
    relabel();
}

QString CameraStudioView::text(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_viewModel.language());
}

QWidget *CameraStudioView::makePreviewCard()
{
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    m_preview = new CameraPreviewBox(m_viewModel, m_accent, content);
    column->addWidget(m_preview, 1);

    // The buttons keep their whole titles: where the card is too narrow for one row they wrap onto a
    // second, and the reset button stays at the trailing edge.
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto *actions = new QWidget(content);
    auto *flow = new ZunoFlowLayout(8, 8, actions);
    m_cameraButton = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), actions);
    connect(m_cameraButton, &ZunoButton::clicked, this, [this] { m_viewModel.toggleCameraPreview(); });
    flow->addWidget(m_cameraButton);
    m_recording = new CameraRecordingActionButtons(m_viewModel, actions);
    flow->addWidget(m_recording);
    m_snapshot = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), actions);
    m_snapshot->setSymbol(QStringLiteral("camera.shutter.button"));
    connect(m_snapshot, &ZunoButton::clicked, this, [this] { m_viewModel.saveSnapshotPNG(); });
    flow->addWidget(m_snapshot);
    buttons->addWidget(actions, 1);
    m_reset = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), content);
    connect(m_reset, &ZunoButton::clicked, this, [this] { m_viewModel.resetCameraAdjustments(); });
    buttons->addWidget(m_reset, 0, Qt::AlignTop);
    column->addLayout(buttons);
    return new ZunoGlassCard(16, 16, content, this);
}

ZunoGlassSwitch *CameraStudioView::addSwitch(
    QWidget *parent, const QColor &color, bool CameraAdjustments::*field)
{
    ZunoGlassSwitch *toggle = makeStudioSwitch(parent);
    toggle->setTextColor(color);
    toggle->setAccent(m_accent);
    connect(toggle, &ZunoGlassSwitch::toggled, this,
        [this, field](bool on) { change([field, on](CameraAdjustments &camera) { camera.*field = on; }); });
    return toggle;
}

QWidget *CameraStudioView::makeSettingsCard()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);

    m_heading = new QLabel(page);
    m_heading->setFont(ZunoFonts::system(14.5, QFont::Bold));
    m_heading->setStyleSheet(studioTextCss(ZunoGlassTokens::textPrimary()));
    layout->addWidget(m_heading);

    m_pickerRow = new QWidget(page);
    auto *picker = new QHBoxLayout(m_pickerRow);
    picker->setContentsMargins(0, 0, 0, 0);
    picker->setSpacing(8);
    m_pickerTitle = new QLabel(m_pickerRow);
    m_pickerTitle->setFont(ZunoFonts::system(12.5));
    m_pickerTitle->setStyleSheet(studioTextCss(ZunoGlassTokens::textPrimary()));
    m_picker = new QComboBox(m_pickerRow);
    // Long device names are cut short rather than widening the column.
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_picker->setMinimumContentsLength(8);
    ZunoFocusRing::track(m_picker);
    ZunoFocusRing::addOverlay(m_picker, kFieldFocusRadius);
    picker->addWidget(m_pickerTitle);
    picker->addWidget(m_picker, 1);
    connect(m_picker, &QComboBox::activated, this, [this](int index) {
        const QString id = m_picker->itemData(index).toString();
        m_viewModel.setSelectedCameraID(id);
        if (m_viewModel.isCameraRunning()) {
            // Restart on the newly chosen device.
            m_viewModel.toggleCameraPreview();
            m_viewModel.toggleCameraPreview();
        }
    });
    layout->addWidget(m_pickerRow);

    const QColor primary = ZunoGlassTokens::textPrimary();
    m_mirrored = addSwitch(page, primary, &CameraAdjustments::isMirrored);
    layout->addWidget(m_mirrored);
    m_faceFraming = addSwitch(page, m_accent, &CameraAdjustments::autoFaceFraming);
    layout->addWidget(m_faceFraming);
    m_portrait = new PortraitBackgroundPickerSection(
        m_viewModel, ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral), page);
    layout->addWidget(m_portrait);
    m_reveal = addSwitch(page, primary, &CameraAdjustments::revealRecordingInFinder);
    layout->addWidget(m_reveal);
    m_grid = addSwitch(page, primary, &CameraAdjustments::showFramingGrid);
    layout->addWidget(m_grid);
    m_lowerThird = addSwitch(page, primary, &CameraAdjustments::showLowerThird);
    layout->addWidget(m_lowerThird);

    m_nameField = zunoGlassInputField(new QLineEdit(page), 8, 10, 6);
    m_nameField->setPlaceholderText(QStringLiteral("Name"));
    connect(m_nameField, &QLineEdit::textEdited, this, [this](const QString &name) {
        change([&name](CameraAdjustments &camera) { camera.lowerThirdName = name; });
    });
    layout->addWidget(m_nameField);
    m_titleField = zunoGlassInputField(new QLineEdit(page), 8, 10, 6);
    m_titleField->setPlaceholderText(QStringLiteral("Title"));
    connect(m_titleField, &QLineEdit::textEdited, this, [this](const QString &title) {
        change([&title](CameraAdjustments &camera) { camera.lowerThirdTitle = title; });
    });
    layout->addWidget(m_titleField);

    m_mirrorButton = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), page);
    m_mirrorButton->setSymbol(QStringLiteral("macwindow.on.rectangle"));
    connect(m_mirrorButton, &ZunoButton::clicked, this, [this] { m_viewModel.toggleFloatingMirror(); });
    // The column keeps its width; its texts are short enough for it.
    m_mirrorButton->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(m_mirrorButton);

    auto *look = new QVBoxLayout;
    look->setSpacing(6);
    m_lookHeader = new QLabel(page);
    m_lookHeader->setFont(ZunoFonts::system(12, QFont::DemiBold));
    m_lookHeader->setStyleSheet(studioTextCss(ZunoGlassTokens::textSecondary()));
    look->addWidget(m_lookHeader);
    for (const CameraLookPreset preset : CameraLookPresets::allCases()) {
        auto *button = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), page);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        button->setLabelAlignment(Qt::AlignLeading);
        auto *inside = new QHBoxLayout(button);
        inside->setContentsMargins(0, 0, 12, 0);
        inside->addStretch(1);
        auto *check
            = new ZunoSymbolIcon(QStringLiteral("checkmark"), ZunoFonts::system(12), m_accent, button);
        check->setAttribute(Qt::WA_TransparentForMouseEvents);
        inside->addWidget(check);
        connect(button, &ZunoButton::clicked, this,
            [this, preset] { change([preset](CameraAdjustments &camera) { camera.lookPreset = preset; }); });
        look->addWidget(button);
        m_lookButtons.push_back(button);
        m_lookChecks.push_back(check);
    }
    layout->addLayout(look);

    for (const SliderRow &row : sliderRows()) {
        auto *slider = new StudioSliderControl(row.minimum, row.maximum, m_accent, page);
        const auto field = row.field;
        connect(slider, &StudioSliderControl::valueChanged, this, [this, field](double value) {
            change([field, value](CameraAdjustments &camera) { camera.*field = value; });
        });
        layout->addWidget(slider);
        m_sliders.push_back(slider);
    }
    layout->addStretch(1);

    QScrollArea *scroll = zunoGlassScrollArea(page);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_settingsCard = new ZunoGlassCard(16, 16, scroll, this);
    m_settingsCard->setFixedWidth(kSettingsWidth);
    return m_settingsCard;
}

void CameraStudioView::change(const std::function<void(CameraAdjustments &)> &edit)
{
    CameraAdjustments camera = m_viewModel.camera();
    edit(camera);
    m_viewModel.setCamera(camera);
    m_viewModel.applyCameraAdjustments();
}

void CameraStudioView::syncCamera()
{
    const CameraAdjustments &camera = m_viewModel.camera();
    const std::pair<ZunoGlassSwitch *, bool> switches[] = {
        { m_mirrored, camera.isMirrored },
        { m_faceFraming, camera.autoFaceFraming },
        { m_reveal, camera.revealRecordingInFinder },
        { m_grid, camera.showFramingGrid },
        { m_lowerThird, camera.showLowerThird },
    };
    for (const auto &[toggle, on] : switches) {
        const QSignalBlocker blocker(toggle);
        toggle->setChecked(on);
    }
    // A field being typed in keeps its caret: it already holds the text it wrote.
    for (const auto &[field, value] : { std::pair { m_nameField, camera.lowerThirdName },
             std::pair { m_titleField, camera.lowerThirdTitle } }) {
        if (field->text() != value) {
            const QSignalBlocker blocker(field);
            field->setText(value);
        }
        field->setVisible(camera.showLowerThird);
    }
    const auto &presets = CameraLookPresets::allCases();
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const bool current = presets[i] == camera.lookPreset;
        m_lookButtons[i]->setButtonStyle(std::make_shared<ZunoGlassButtonStyle>(current));
        m_lookChecks[i]->setVisible(current);
    }
    const auto &rows = sliderRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double value = camera.*(rows[i].field);
        m_sliders[i]->setValue(value, QString::number(value, 'f', 2));
    }
}

void CameraStudioView::syncCameras()
{
    const auto &cameras = m_viewModel.availableCameras();
    m_pickerRow->setVisible(!cameras.isEmpty());
    const QSignalBlocker blocker(m_picker);
    m_picker->clear();
    for (const CameraDeviceDescriptor &camera : cameras)
        m_picker->addItem(camera.name, camera.id);
    const std::optional<QString> selected = m_viewModel.selectedCameraID();
    const int index = selected ? m_picker->findData(*selected) : 0;
    m_picker->setCurrentIndex(cameras.isEmpty() ? -1 : std::max(index, 0));
    const bool busy = m_viewModel.isRecordingVideo() || m_viewModel.isFinalizingVideo();
    m_picker->setEnabled(!busy);
    m_picker->setToolTip(busy ? text(QStringLiteral("Stop the recording to switch cameras."),
                             QStringLiteral("Kamerayı değiştirmek için önce kaydı durdurun."))
                              : QString());
}

void CameraStudioView::syncRunning()
{
    const bool running = m_viewModel.isCameraRunning();
    const bool starting = m_viewModel.isCameraStarting();
    m_cameraButton->setText(starting
            ? text(QStringLiteral("Opening Camera…"), QStringLiteral("Kamera Açılıyor…"))
            : running ? text(QStringLiteral("Stop Camera"), QStringLiteral("Kamerayı Durdur"))
                      : text(QStringLiteral("Start Camera"), QStringLiteral("Kamerayı Başlat")));
    // Busy while the device opens: a second press would do nothing.
    m_cameraButton->setEnabled(!starting);
    m_cameraButton->setSymbol(running ? QStringLiteral("video.slash.fill") : QStringLiteral("video.fill"));
    m_snapshot->setEnabled(running);
}

void CameraStudioView::relabel()
{
    m_snapshot->setText(text(QStringLiteral("Snapshot"), QStringLiteral("Fotoğraf")));
    m_reset->setText(text(QStringLiteral("Reset Look"), QStringLiteral("Sıfırla")));
    m_heading->setText(
        text(QStringLiteral("Studio Color & Framing"), QStringLiteral("Stüdyo Renk & Kadraj")));
    m_pickerTitle->setText(text(QStringLiteral("Camera"), QStringLiteral("Kamera")));
    m_mirrored->setText(text(QStringLiteral("Mirror Horizontally"), QStringLiteral("Yatay Aynala")));
    m_faceFraming->setText(text(
        QStringLiteral("AI Auto Framing Face Tracking"), QStringLiteral("AI Otomatik Kadraj Yüz Takibi")));
    m_reveal->setText(text(QStringLiteral("Show MP4 in File Manager on Stop"),
        QStringLiteral("Kayıt Bitince Dosya Yöneticisinde Göster")));
    m_grid->setText(
        text(QStringLiteral("Rule-of-Thirds Framing Grid"), QStringLiteral("Üçler Kuralı Kadraj Izgarası")));
    m_lowerThird->setText(text(QStringLiteral("Broadcast Lower-Third Nameplate"),
        QStringLiteral("Yayın Alt İsim Bandı (Lower-Third)")));
    const bool mirror = m_viewModel.isFloatingMirrorVisible();
    m_mirrorButton->setText(mirror
            ? text(QStringLiteral("Close Notch Mirror"), QStringLiteral("Çentik Aynasını Kapat"))
            : text(QStringLiteral("Pop-Out Notch Mirror"), QStringLiteral("Çentik Aynası Aç")));
    // The shortcut goes on a second, smaller line: the narrow column has no room for both on one.
    m_mirrorButton->setDetail(mirror
            ? QString()
            : ZunoHotkeyDescriptor(kMirrorKeyCode, ZunoHotkeyDescriptor::cmdOptionFlag).shortcutText());
    m_mirrorButton->setButtonStyle(std::make_shared<ZunoGlassButtonStyle>(mirror));
    m_lookHeader->setText(text(QStringLiteral("Studio Look LUT"), QStringLiteral("Stüdyo Renk Profili")));
    const auto &presets = CameraLookPresets::allCases();
    for (std::size_t i = 0; i < presets.size(); ++i)
        m_lookButtons[i]->setText(
            text(CameraLookPresets::labelEN(presets[i]), CameraLookPresets::labelTR(presets[i])));
    for (std::size_t i = 0; i < m_sliders.size(); ++i)
        m_sliders[i]->setTitle(
            text(QString::fromUtf8(kSliderTitles[i].en), QString::fromUtf8(kSliderTitles[i].tr)));
    syncCamera();
    syncCameras();
    syncRunning();
}
