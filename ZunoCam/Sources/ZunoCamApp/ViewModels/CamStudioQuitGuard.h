#pragma once

#include "CamStudioClock.h"

#include <QObject>

class CamStudioViewModel;
class ZunoTerminationSignals;

// Holds the application's quit while a recording runs or is being finished, so the MP4 is never
// lost: it shows a toast, stops the recording through the view model's normal stop and quits once
// the file is finished. Bounded: after 10 s it logs and lets the quit through, and boundExpired()
// then tells the application's end not to wait for the recorder again. A termination signal asks for
// the same quit; one that arrives while waiting ends the wait at once. Installed as the
// application's event filter.
class CamStudioQuitGuard : public QObject {
    Q_OBJECT
public:
    static constexpr double kBoundSeconds = 10;

    // `terminationSignals` may be null (no signal handling).
    CamStudioQuitGuard(
        CamStudioViewModel &viewModel, ZunoTerminationSignals *terminationSignals, QObject *parent = nullptr);
    ~CamStudioQuitGuard() override;

    bool isWaiting() const { return m_waiting; }
    bool boundExpired() const { return m_boundExpired; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onTerminationSignal();
    void checkFinished();
    void expire();
    void letQuitThrough();

    CamStudioViewModel &m_viewModel;
    CamStudioTimerHandle m_bound;
    bool m_waiting = false;
    bool m_passing = false;
    bool m_boundExpired = false;
};
