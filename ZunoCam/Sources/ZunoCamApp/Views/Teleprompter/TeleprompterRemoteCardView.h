#pragma once

#include <QColor>
#include <QWidget>

class CamStudioViewModel;
class QLabel;
class QLineEdit;
class QFrame;
class TeleprompterRemoteStatusPill;
class ZunoButton;
class ZunoSymbolIcon;

// The LAN remote card of the teleprompter tab: whether the phone remote is live, the address to open
// on the phone, and start/stop, copy and open. Its look follows the view model's
// `isRemoteServerRunning` alone, so a listener failure reported later turns it off again.
class TeleprompterRemoteCardView : public QWidget {
    Q_OBJECT
public:
    TeleprompterRemoteCardView(
        CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    // For tests and the gallery.
    ZunoSymbolIcon *statusSymbol() const { return m_symbol; }
    QString statusText() const;
    QColor statusColor() const;
    ZunoButton *startStopButton() const { return m_startStop; }
    ZunoButton *copyButton() const { return m_copy; }
    ZunoButton *openButton() const { return m_open; }
    QLineEdit *addressField() const { return m_address; }
    QLabel *titleLabel() const { return m_title; }
    QLabel *subtitleLabel() const { return m_subtitle; }

private:
    void sync();
    QString text(const QString &en, const QString &tr) const;

    CamStudioViewModel &m_viewModel;
    QColor m_accent;
    ZunoSymbolIcon *m_symbol = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    TeleprompterRemoteStatusPill *m_pill = nullptr;
    ZunoButton *m_startStop = nullptr;
    QFrame *m_addressCapsule = nullptr;
    ZunoSymbolIcon *m_networkSymbol = nullptr;
    QLineEdit *m_address = nullptr;
    ZunoButton *m_copy = nullptr;
    ZunoButton *m_open = nullptr;
};
