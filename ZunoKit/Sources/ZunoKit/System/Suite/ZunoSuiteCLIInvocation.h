#pragma once

#include "ZunoSuiteApp.h"

#include <QStringList>

// A background command turned into a command line: whose tool runs, and its arguments without the
// program name.
struct ZunoSuiteCLIInvocation {
    ZunoSuiteApp targetApp = ZunoSuiteApp::zunoKill;
    QStringList arguments;

    bool operator==(const ZunoSuiteCLIInvocation &) const = default;
};
