#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <mutex>

// Collects the Qt messages (qInfo, qWarning, ...) that the process writes while it lives, in place of
// printing them. One at a time; messages from any thread are kept.
class ZunoMessageCapture {
public:
    ZunoMessageCapture();
    ~ZunoMessageCapture();
    ZunoMessageCapture(const ZunoMessageCapture &) = delete;
    ZunoMessageCapture &operator=(const ZunoMessageCapture &) = delete;

    // The messages of `type` so far, oldest first.
    QStringList messages(QtMsgType type) const;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler m_previous;
    mutable std::mutex m_mutex;
    QList<std::pair<QtMsgType, QString>> m_messages;
};
