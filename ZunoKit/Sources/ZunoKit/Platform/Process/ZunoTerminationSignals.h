#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C, a closed terminal) into a Qt signal on
// the main thread, through a self-pipe: the handler only writes a byte. One instance at a time; the
// previous handlers come back when it is destroyed. Main thread only.
class ZunoTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit ZunoTerminationSignals(QObject *parent = nullptr);
    ~ZunoTerminationSignals() override;

    // Whether the handlers were installed.
    bool isInstalled() const { return m_installed; }

signals:
    void terminationRequested(int signalNumber);

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
    bool m_installed = false;
};
