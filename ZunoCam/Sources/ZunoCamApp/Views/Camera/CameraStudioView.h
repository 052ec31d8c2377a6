#pragma once

#include <QColor>
#include <QWidget>

#include <functional>
#include <vector>

class CamStudioViewModel;
class CameraPreviewBox;
class CameraRecordingActionButtons;
class PortraitBackgroundPickerSection;
class ZunoGlassSwitch;
class QComboBox;
class QLabel;
class QLineEdit;
class StudioSliderControl;
class ZunoButton;
class ZunoGlassCard;
class ZunoSymbolIcon;
struct CameraAdjustments;

// The camera tab: the live picture with its camera and recording buttons on the left, every camera
// setting in a scrolling card on the right. A user change writes one field of the camera settings and
// applies them once; a change from the view model re-syncs the controls and writes nothing.
class CameraStudioView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSettingsWidth = 310;

    struct SliderRow {
        double minimum;
        double maximum;
        double CameraAdjustments::*field;
    };
    // The six adjustment sliders in their order: exposure, warmth, saturation, contrast, vignette, zoom.
    static const std::vector<SliderRow> &sliderRows();

    CameraStudioView(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    // For tests and the gallery.
    CameraPreviewBox *previewBox() const { return m_preview; }
    ZunoButton *cameraButton() const { return m_cameraButton; }
    CameraRecordingActionButtons *recordingButtons() const { return m_recording; }
    ZunoButton *snapshotButton() const { return m_snapshot; }
    ZunoButton *resetButton() const { return m_reset; }
    ZunoGlassCard *settingsCard() const { return m_settingsCard; }
    QWidget *cameraPickerRow() const { return m_pickerRow; }
    QComboBox *cameraPicker() const { return m_picker; }
    ZunoGlassSwitch *mirrorSwitch() const { return m_mirrored; }
    ZunoGlassSwitch *faceFramingSwitch() const { return m_faceFraming; }
    PortraitBackgroundPickerSection *portraitPicker() const { return m_portrait; }
    ZunoGlassSwitch *revealSwitch() const { return m_reveal; }
    ZunoGlassSwitch *gridSwitch() const { return m_grid; }
    ZunoGlassSwitch *lowerThirdSwitch() const { return m_lowerThird; }
    QLineEdit *nameField() const { return m_nameField; }
    QLineEdit *titleField() const { return m_titleField; }
    ZunoButton *floatingMirrorButton() const { return m_mirrorButton; }
    const std::vector<ZunoButton *> &lookButtons() const { return m_lookButtons; }
    const std::vector<ZunoSymbolIcon *> &lookChecks() const { return m_lookChecks; }
    const std::vector<StudioSliderControl *> &sliders() const { return m_sliders; }

private:
    QWidget *makePreviewCard();
    QWidget *makeSettingsCard();
    ZunoGlassSwitch *addSwitch(QWidget *parent, const QColor &color, bool CameraAdjustments::*field);
    void change(const std::function<void(CameraAdjustments &)> &edit);
    void syncCamera();
    void syncCameras();
    void syncRunning();
    void relabel();
    QString text(const QString &en, const QString &tr) const;

    CamStudioViewModel &m_viewModel;
    QColor m_accent;
    CameraPreviewBox *m_preview = nullptr;
    ZunoButton *m_cameraButton = nullptr;
    CameraRecordingActionButtons *m_recording = nullptr;
    ZunoButton *m_snapshot = nullptr;
    ZunoButton *m_reset = nullptr;
    ZunoGlassCard *m_settingsCard = nullptr;
    QLabel *m_heading = nullptr;
    QWidget *m_pickerRow = nullptr;
    QLabel *m_pickerTitle = nullptr;
    QComboBox *m_picker = nullptr;
    ZunoGlassSwitch *m_mirrored = nullptr;
    ZunoGlassSwitch *m_faceFraming = nullptr;
    PortraitBackgroundPickerSection *m_portrait = nullptr;
    ZunoGlassSwitch *m_reveal = nullptr;
    ZunoGlassSwitch *m_grid = nullptr;
    ZunoGlassSwitch *m_lowerThird = nullptr;
    QLineEdit *m_nameField = nullptr;
    QLineEdit *m_titleField = nullptr;
    ZunoButton *m_mirrorButton = nullptr;
    QLabel *m_lookHeader = nullptr;
    std::vector<ZunoButton *> m_lookButtons;
    std::vector<ZunoSymbolIcon *> m_lookChecks;
    std::vector<StudioSliderControl *> m_sliders;
};
