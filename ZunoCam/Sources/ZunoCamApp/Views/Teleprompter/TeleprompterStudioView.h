#pragma once

#include <QColor>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class CamStudioViewModel;
class ZunoGlassSwitch;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QVBoxLayout;
struct TeleprompterSettings;
class StudioSliderControl;
class TeleprompterRemoteCardView;
class TeleprompterScriptRow;
class ZunoButton;
class ZunoGlassCard;

// The teleprompter tab: the script list on the left; the active script's title and body, its length
// and reading time, and the teleprompter's pace, size and pacing switches on the right. Edits go to
// the view model as they are typed; loading a script into the editor writes nothing back.
class TeleprompterStudioView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kScriptColumnWidth = 240;
    static constexpr double kMinimumWPM = 60;
    static constexpr double kMaximumWPM = 260;
    static constexpr double kMinimumFontSize = 16;
    static constexpr double kMaximumFontSize = 44;

    TeleprompterStudioView(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    // "~2m 5s" / "~2dk 5sn" for a duration in seconds, rounded half away from zero.
    static QString readingTimeText(double seconds, bool turkish);

    // Whether the desktop can keep a window out of screen capture; from the view model unless a
    // test says otherwise.
    void setScreenShareHidingAvailable(bool available);

    // For tests and the gallery.
    ZunoButton *addButton() const { return m_addButton; }
    const std::vector<TeleprompterScriptRow *> &rows() const { return m_rows; }
    QLineEdit *titleField() const { return m_titleField; }
    QPlainTextEdit *bodyEditor() const { return m_bodyEditor; }
    QLabel *readingTimeLabel() const { return m_readingTime; }
    ZunoGlassCard *scriptCard() const { return m_scriptCard; }
    ZunoGlassCard *settingsCard() const { return m_settingsCard; }
    TeleprompterRemoteCardView *remoteCard() const { return m_remoteCard; }
    StudioSliderControl *paceSlider() const { return m_pace; }
    StudioSliderControl *fontSlider() const { return m_fontSize; }
    ZunoGlassSwitch *voicePacingSwitch() const { return m_voicePacing; }
    ZunoGlassSwitch *screenShareSwitch() const { return m_screenShare; }
    QLabel *screenShareNote() const { return m_screenShareNote; }

private:
    QWidget *makeScriptColumn();
    QWidget *makeScriptCard();
    QWidget *makeSettingsCard();
    void syncRows();
    void syncEditor();
    void syncSettings();
    void relabel();
    QString text(const QString &en, const QString &tr) const;
    QString wordCountText(const QString &body) const;
    void changeSettings(const std::function<void(TeleprompterSettings &)> &change);

    CamStudioViewModel &m_viewModel;
    QColor m_accent;
    bool m_screenShareAvailable;
    std::optional<QUuid> m_loadedID;

    QLabel *m_scriptsHeader = nullptr;
    ZunoButton *m_addButton = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    std::vector<TeleprompterScriptRow *> m_rows;
    QWidget *m_editorColumn = nullptr;
    ZunoGlassCard *m_scriptCard = nullptr;
    QLineEdit *m_titleField = nullptr;
    QLabel *m_readingTime = nullptr;
    QPlainTextEdit *m_bodyEditor = nullptr;
    ZunoGlassCard *m_settingsCard = nullptr;
    StudioSliderControl *m_pace = nullptr;
    StudioSliderControl *m_fontSize = nullptr;
    ZunoGlassSwitch *m_voicePacing = nullptr;
    ZunoGlassSwitch *m_screenShare = nullptr;
    QLabel *m_screenShareNote = nullptr;
    TeleprompterRemoteCardView *m_remoteCard = nullptr;
};
