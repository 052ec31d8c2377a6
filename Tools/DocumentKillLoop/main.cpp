// ZunoDocumentKillLoop: starts a writer process that saves the studio document without pause through
// the studio's own writer thread and store, kills it with SIGKILL after a random delay, and checks
// what the kill left: the document must parse as a complete studio document, and opening the store
// (as the studio does at start) must leave no temporary file beside it. Repeats --kills times and
// prints the figures; exits 1 on any torn document or surviving temporary.
//
//   ZunoDocumentKillLoop [--kills N] [--min-ms A] [--max-ms B] [--dir FOLDER]
#include "CamModelsJson.h"
#include "CamPersistedPayload.h"
#include "CamScriptStore.h"
#include "CamStudioDocumentStore.h"
#include "CamStudioDocumentWriter.h"
#include "CamStudioServices.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <thread>

namespace {

const QString kDocument = QStringLiteral("zunocam-store.json");

// A document of some size, so that a kill often lands inside a write.
CamPersistedPayload document(int generation)
{
    CamPersistedPayload payload;
    for (int index = 0; index < 40; ++index) {
        const QString body = QStringLiteral("Line %1 of save %2. ").arg(index).arg(generation).repeated(60);
        payload.scripts.emplace_back(QUuid::createUuid(), QStringLiteral("Script %1").arg(index), body,
            QDateTime::currentDateTimeUtc());
    }
    payload.teleprompter.wordsPerMinute = 60 + generation % 200;
    return payload;
}

// The child: saves forever; "ready" on standard output after the first save.
int runWriter(const QString &folder)
{
    std::unique_ptr<CamStudioDocumentStore> store
        = CamStudioServices::documentStore(std::make_unique<CamScriptStore>(folder));
    CamStudioDocumentWriter writer(*store, {});
    for (int generation = 0;; ++generation) {
        writer.submit(document(generation));
        writer.flush(std::chrono::seconds(10));
        if (generation == 0) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
}

QStringList temporaries(const QString &folder)
{
    QStringList found;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (name.startsWith(kDocument + QLatin1Char('.')))
            found << name;
    return found;
}

// The studio's own check: strict JSON, then every value of a studio document.
bool documentValidates(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    try {
        const CamPersistedPayload payload = nlohmann::json::parse(bytes.begin(), bytes.end());
        if (payload.scripts.size() != document(0).scripts.size()) {
            *why = QStringLiteral("%1 scripts").arg(payload.scripts.size());
            return false;
        }
    } catch (const std::exception &error) {
        *why = QString::fromUtf8(error.what());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Kills a process in the middle of saving the studio document, again and again, and checks that "
        "the document always validates and that no temporary file survives the next start."));
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("kills"), QStringLiteral("How many kills."), QStringLiteral("N"),
        QStringLiteral("200") });
    parser.addOption({ QStringLiteral("min-ms"), QStringLiteral("Shortest delay before a kill."),
        QStringLiteral("A"), QStringLiteral("1") });
    parser.addOption({ QStringLiteral("max-ms"), QStringLiteral("Longest delay before a kill."),
        QStringLiteral("B"), QStringLiteral("60") });
    parser.addOption({ QStringLiteral("dir"), QStringLiteral("Document folder (default: a temporary one)."),
        QStringLiteral("FOLDER") });
    parser.addOption({ QStringLiteral("writer"), QStringLiteral("Run as the writer process (internal)."),
        QStringLiteral("FOLDER") });
    parser.process(app);

    if (parser.isSet(QStringLiteral("writer")))
        return runWriter(parser.value(QStringLiteral("writer")));

    const int kills = std::max(1, parser.value(QStringLiteral("kills")).toInt());
    const int minMs = std::max(0, parser.value(QStringLiteral("min-ms")).toInt());
    const int maxMs = std::max(minMs, parser.value(QStringLiteral("max-ms")).toInt());
    QTemporaryDir temporary;
    const QString folder
        = parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir")) : temporary.path();
    QDir().mkpath(folder);

    std::mt19937 random(std::random_device {}());
    std::uniform_int_distribution<int> delay(minMs, maxMs);
    int torn = 0;
    int leftByKill = 0;
    int temporariesLeft = 0;
    int survivingAfterOpen = 0;
    for (int kill = 0; kill < kills; ++kill) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--writer"), folder });
        if (!writer.waitForStarted(10'000) || !writer.waitForReadyRead(30'000)) {
            std::fprintf(stderr, "kill %d: the writer did not start saving\n", kill + 1);
            return 2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        writer.waitForFinished(10'000);

        const QStringList left = temporaries(folder);
        leftByKill += left.isEmpty() ? 0 : 1;
        temporariesLeft += int(left.size());
        QString why;
        if (!documentValidates(QDir(folder).filePath(kDocument), &why)) {
            ++torn;
            std::fprintf(stderr, "kill %d: the document does not validate: %s\n", kill + 1, qPrintable(why));
        }
        // What the studio does first at its next start.
        CamScriptStore reopened(folder);
        const QStringList surviving = temporaries(folder);
        if (!surviving.isEmpty()) {
            survivingAfterOpen += int(surviving.size());
            std::fprintf(stderr, "kill %d: temporaries after the next start: %s\n", kill + 1,
                qPrintable(surviving.join(QStringLiteral(", "))));
        }
    }

    std::printf("kills:                               %d (each %d-%d ms after the first save)\n", kills,
        minMs, maxMs);
    std::printf("documents that did not validate:     %d\n", torn);
    std::printf("kills that left a temporary file:    %d (%d files)\n", leftByKill, temporariesLeft);
    std::printf("temporaries after the next start:    %d\n", survivingAfterOpen);
    return torn == 0 && survivingAfterOpen == 0 ? 0 : 1;
}
