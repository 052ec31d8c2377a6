#pragma once

#include <QObject>
#include <QString>

// What the sign-in block keeps of its own: its three disclosures, the connection code being typed and
// whether the shown device code was copied. `changed` follows every change. Main thread only.
class ZunoCreditsAuthUIState : public QObject {
    Q_OBJECT
public:
    explicit ZunoCreditsAuthUIState(QObject *parent = nullptr);

    bool showOtherOptions() const { return m_showOtherOptions; }
    bool showManualToken() const { return m_showManualToken; }
    QString manualTokenInput() const { return m_manualTokenInput; }
    bool showReconnectOptions() const { return m_showReconnectOptions; }
    bool copiedCode() const { return m_copiedCode; }

    void setShowOtherOptions(bool show);
    void setShowManualToken(bool show);
    void setManualTokenInput(const QString &text);
    void setShowReconnectOptions(bool show);
    void setCopiedCode(bool copied);

signals:
    void changed();

private:
    template <typename T> void assign(T &field, const T &value);

    bool m_showOtherOptions = false;
    bool m_showManualToken = false;
    QString m_manualTokenInput;
    bool m_showReconnectOptions = false;
    bool m_copiedCode = false;
};
