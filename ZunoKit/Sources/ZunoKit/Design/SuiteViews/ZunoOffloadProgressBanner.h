#pragma once

#include "ZunoLanguage.h"
#include "ZunoRAMOffloadLiveProgress.h"

#include <QColor>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QHBoxLayout;
class QVBoxLayout;
class ZunoActivityIndicator;
class ZunoButton;
class ZunoCapsuleLabel;

// One memory-offload run of the RAM application as a card: status mark, step counter, phase title,
// bytes moved, percentage and a Cancel or close button; a progress bar; a detail line; the four steps.
// Draws the record it is given and keeps nothing else; its buttons call the host's closures. Main
// thread.
class ZunoOffloadProgressBanner : public QWidget {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    ZunoOffloadProgressBanner(ZunoRAMOffloadLiveProgress progress, ZunoLanguage language, bool compact,
        Action onCancel, Action onDismiss, QWidget *parent = nullptr);

    void setProgress(ZunoRAMOffloadLiveProgress progress);
    void setLanguage(ZunoLanguage language);
    void setCompact(bool compact);
    void setOnCancel(Action onCancel);
    void setOnDismiss(Action onDismiss);

    // Completed, then "critical", then "warning" (exact words), else violet.
    static QColor accentColor(const ZunoRAMOffloadLiveProgress &progress);
    // The fraction within 0...1 (NaN as 0), as a whole percentage, halves away from zero: "13%".
    static QString percentText(double fractionCompleted);
    // The bar's fill in a bar of `width`: f × width, at least 6 when f > 0, never past the bar.
    static qreal fillWidth(double fractionCompleted, qreal width);

    // The parts, for tests and the gallery.
    ZunoActivityIndicator *spinner() const { return m_spinner; }
    QWidget *sealMark() const;
    ZunoCapsuleLabel *counter() const { return m_counter; }
    QString phaseTitle() const;
    QWidget *bytes() const;
    QString bytesText() const;
    QString percentage() const;
    ZunoButton *cancelButton() const { return m_cancel; }
    QAbstractButton *closeButton() const;
    QWidget *bar() const;
    QWidget *detail() const;
    QString detailText() const;
    QWidget *steps() const { return m_steps; }
    // State of step 1...4: its colour, symbol and whether its title is semibold.
    struct StepLook {
        QColor color;
        QString symbol;
        qreal fillOpacity;
        bool semibold;
    };
    static StepLook stepLook(const ZunoRAMOffloadLiveProgress &progress, int step);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    class Text;
    class Bar;
    class Seal;
    class CloseButton;
    class StepPill;

    void resync();

    ZunoRAMOffloadLiveProgress m_progress;
    ZunoLanguage m_language;
    bool m_compact;
    Action m_onCancel;
    Action m_onDismiss;

    QVBoxLayout *m_layout;
    ZunoActivityIndicator *m_spinner;
    Seal *m_seal;
    ZunoCapsuleLabel *m_counter;
    Text *m_title;
    Text *m_bytes;
    Text *m_percent;
    ZunoButton *m_cancel;
    CloseButton *m_close;
    Bar *m_bar;
    Text *m_detail;
    QWidget *m_steps;
    StepPill *m_pills[4];
};
