#pragma once

#include <QString>
#include <QStringList>

// The telemetry commands of SuiteBusDemo: publish, read, watch and hover. `arguments` follow the
// command word. Returns the exit code; 2 after printing the usage for a wrong call.
int runTelemetryCommand(const QString &command, const QStringList &arguments);
bool isTelemetryCommand(const QString &command);
