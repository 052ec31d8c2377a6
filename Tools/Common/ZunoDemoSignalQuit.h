#pragma once

#include "ZunoTerminationSignals.h"

#include <QCoreApplication>

// Ends a demo's event loop on SIGINT, SIGTERM or SIGHUP with 128 + the signal, instead of the default
// action that ends the process on the spot: the demo's destructors run, so its temporary folders go.
class ZunoDemoSignalQuit {
public:
    ZunoDemoSignalQuit()
    {
        QObject::connect(&m_signals, &ZunoTerminationSignals::terminationRequested, &m_signals,
            [](int signalNumber) { QCoreApplication::exit(128 + signalNumber); });
    }

private:
    ZunoTerminationSignals m_signals;
};
