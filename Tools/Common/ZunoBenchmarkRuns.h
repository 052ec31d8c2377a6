#pragma once

#include "ZunoToolCores.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

// Runs a benchmark twice, the way users run it (on every core the system offers) and pinned to a few
// cores, each in a process of its own so that every thread the program starts keeps that placement,
// and prints the figures of both runs side by side. A run reports its figures with figure(); run on
// its own (no parent), the program prints them plainly.
namespace ZunoBenchmarkRuns {

inline constexpr const char *kRunVariable = "ZUNO_BENCHMARK_RUN";
inline constexpr const char *kFigureTag = "@figure\t";

// True inside a run started by bothWays().
inline bool isRun()
{
    return !qEnvironmentVariableIsEmpty(kRunVariable);
}

// One figure of a run: a median and a 95th percentile in milliseconds.
inline void figure(const char *name, double median, double p95)
{
    if (isRun())
        std::printf("%s%s\t%.4f\t%.4f\n", kFigureTag, name, median, p95);
    else
        std::printf("  %-40s median %8.3f ms  p95 %8.3f ms\n", name, median, p95);
    std::fflush(stdout);
}

// Runs this program again with `arguments`, unpinned and then pinned to its first `pinnedCores`
// allowed CPUs; passes each run's other output through under a heading and ends with a table of the
// figures. Returns the larger of the two exit codes (2 when a run could not start).
inline int bothWays(const QStringList &arguments, int pinnedCores)
{
    struct Figure {
        double median = -1, p95 = -1;
    };
    std::vector<QString> order;
    std::map<QString, Figure> figures[2];
    int exitCode = 0;
    for (int run = 0; run < 2; ++run) {
        const bool pinned = run == 1;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kRunVariable),
            pinned ? QStringLiteral("pinned:%1").arg(pinnedCores) : QStringLiteral("unpinned"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (pinned)
            child.setChildProcessModifier([pinnedCores] { zunoPinToCores(pinnedCores); });
        child.start(QCoreApplication::applicationFilePath(), arguments);
        if (!child.waitForStarted()) {
            std::fprintf(stderr, "could not start a run: %s\n", qPrintable(child.errorString()));
            return 2;
        }
        std::printf(pinned ? "== pinned to %d cores ==\n" : "== unpinned ==\n", pinnedCores);
        std::fflush(stdout);
        QByteArray pending;
        const auto consume = [&](bool all) {
            int end;
            while ((end = pending.indexOf('\n')) >= 0 || (all && !pending.isEmpty())) {
                const QByteArray line = end >= 0 ? pending.left(end) : pending;
                pending.remove(0, end >= 0 ? end + 1 : pending.size());
                if (line.startsWith(kFigureTag)) {
                    const QList<QByteArray> fields = line.mid(qstrlen(kFigureTag)).split('\t');
                    if (fields.size() == 3) {
                        const QString name = QString::fromUtf8(fields[0]);
                        if (!figures[0].count(name) && !figures[1].count(name))
                            order.push_back(name);
                        figures[run][name] = { fields[1].toDouble(), fields[2].toDouble() };
                    }
                    continue;
                }
                std::printf("%s\n", line.constData());
            }
            std::fflush(stdout);
        };
        while (child.state() != QProcess::NotRunning) {
            child.waitForReadyRead(1000);
            pending += child.readAllStandardOutput();
            consume(false);
        }
        pending += child.readAllStandardOutput();
        consume(true);
        const int code = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 2;
        exitCode = std::max(exitCode, code);
    }

    std::printf("\n%-40s %23s %23s\n", "figure (ms)", "unpinned median / p95",
        qPrintable(QStringLiteral("pinned (%1) median / p95").arg(pinnedCores)));
    const auto cell = [](const std::map<QString, Figure> &runs, const QString &name) {
        const auto found = runs.find(name);
        if (found == runs.end())
            return QStringLiteral("%1").arg(QStringLiteral("-"), 23);
        return QStringLiteral("%1 / %2")
            .arg(found->second.median, 11, 'f', 3)
            .arg(found->second.p95, 9, 'f', 3);
    };
    for (const QString &name : order)
        std::printf("%-40s %23s %23s\n", qPrintable(name), qPrintable(cell(figures[0], name)),
            qPrintable(cell(figures[1], name)));
    return exitCode;
}

} // namespace ZunoBenchmarkRuns
