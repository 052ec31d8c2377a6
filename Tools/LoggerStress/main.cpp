// ZunoLoggerStress: writes N lines from T threads through one ZunoAppLogger into a folder, then
// lists the current file and its generations and checks that every line that the kept generations
// can hold is there, whole and in each thread's order. Reports the median time of one log() call.
//
//   ZunoLoggerStress [--lines N] [--threads T] [--max-bytes B] [--generations G] [--dir FOLDER]
#include "ZunoAppLogger.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

namespace {

struct FileReport {
    QString name;
    qint64 bytes = 0;
    int lines = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes log lines from several threads and shows the rotation."));
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("lines"), QStringLiteral("Lines per thread."), QStringLiteral("N"),
        QStringLiteral("2000") });
    parser.addOption({ QStringLiteral("threads"), QStringLiteral("Writer threads."), QStringLiteral("T"),
        QStringLiteral("8") });
    parser.addOption({ QStringLiteral("max-bytes"), QStringLiteral("Rotation threshold."),
        QStringLiteral("B"), QStringLiteral("65536") });
    parser.addOption({ QStringLiteral("generations"), QStringLiteral("Generations kept."),
        QStringLiteral("G"), QStringLiteral("5") });
    parser.addOption({ QStringLiteral("dir"), QStringLiteral("Log folder (default: a temporary one)."),
        QStringLiteral("FOLDER") });
    parser.process(app);

    const int linesPerThread = std::max(1, parser.value(QStringLiteral("lines")).toInt());
    const int threadCount = std::max(1, parser.value(QStringLiteral("threads")).toInt());
    QTemporaryDir temporary;
    const QString folder
        = parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir")) : temporary.path();

    ZunoAppLogger logger(QStringLiteral("ZunoCam"), folder,
        parser.value(QStringLiteral("max-bytes")).toULongLong(),
        parser.value(QStringLiteral("generations")).toLongLong(), [] {
            return ZunoAppVersion { QStringLiteral("1.0.0"), QStringLiteral("100") };
        });
    logger.clear();

    std::vector<std::vector<double>> durations(static_cast<size_t>(threadCount));
    std::vector<std::thread> threads;
    const auto started = std::chrono::steady_clock::now();
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&logger, &durations, t, linesPerThread] {
            auto &mine = durations[size_t(t)];
            mine.reserve(size_t(linesPerThread));
            for (int n = 0; n < linesPerThread; ++n) {
                const auto before = std::chrono::steady_clock::now();
                logger.info(QStringLiteral("w%1 n%2 frame delivered in 4.2 ms").arg(t).arg(n),
                    QStringLiteral("camera"));
                mine.push_back(
                    std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - before)
                        .count());
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    // Oldest generation first, then the current file: the order of writing.
    QStringList paths;
    for (std::int64_t i = logger.maxRotatedFiles(); i >= 1; --i)
        paths << logger.currentLogFilePath() + QLatin1Char('.') + QString::number(i);
    paths << logger.currentLogFilePath();

    static const QRegularExpression pattern(QStringLiteral("^w(\\d+) n(\\d+) "));
    std::map<int, int> lastSequence;
    int kept = 0;
    int broken = 0;
    int outOfOrder = 0;
    std::vector<FileReport> reports;
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray content = file.readAll();
        FileReport report { QFileInfo(path).fileName(), content.size(), 0 };
        for (const QByteArray &line : content.split('\n')) {
            if (line.isEmpty())
                continue;
            ++report.lines;
            const auto entry = ZunoLogEntry::decoded(line);
            const QRegularExpressionMatch match
                = entry ? pattern.match(entry->message) : QRegularExpressionMatch();
            if (!match.hasMatch()) {
                ++broken;
                continue;
            }
            const int writer = match.captured(1).toInt();
            const int sequence = match.captured(2).toInt();
            auto previous = lastSequence.find(writer);
            if (previous != lastSequence.end() && sequence != previous->second + 1)
                ++outOfOrder;
            lastSequence[writer] = sequence;
            ++kept;
        }
        reports.push_back(report);
    }

    std::printf("folder %s\n", qPrintable(QDir(folder).absolutePath()));
    std::printf("%-20s %12s %8s\n", "file", "bytes", "lines");
    for (const FileReport &report : reports)
        std::printf("%-20s %12lld %8d\n", qPrintable(report.name), static_cast<long long>(report.bytes),
            report.lines);

    // The oldest kept line of each writer is where its lines start; from there on none may be missing.
    int missingAtTheEnd = 0;
    for (const auto &[writer, last] : lastSequence)
        missingAtTheEnd += linesPerThread - 1 - last;
    std::vector<double> all;
    for (const auto &mine : durations)
        all.insert(all.end(), mine.begin(), mine.end());
    std::nth_element(all.begin(), all.begin() + long(all.size() / 2), all.end());
    const int written = threadCount * linesPerThread;
    std::printf("written %d lines from %d threads in %.3f s; kept %d (older ones rotated out)\n", written,
        threadCount, seconds, kept);
    std::printf("broken lines %d, gaps or reordering within a writer %d, newest lines missing %d\n", broken,
        outOfOrder, missingAtTheEnd);
    std::printf("median log() call %.1f us\n", all[all.size() / 2]);
    return broken == 0 && outOfOrder == 0 && missingAtTheEnd == 0 ? 0 : 1;
}
