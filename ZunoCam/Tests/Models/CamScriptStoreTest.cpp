#include "CamScriptStore.h"
#include "CamModelsJson.h"
#include "ZunoTestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

// A document unlike the default one in every part.
CamPersistedPayload sampleDocument()
{
    CamPersistedPayload payload;
    payload.scripts = {
        TeleprompterScript(QUuid::fromString(QStringLiteral("0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0ff")),
            QStringLiteral("Launch"), QString::fromUtf8("Line one\nİkinci satır \"quoted\""),
            utc(2026, 3, 1, 9, 30, 0)),
        TeleprompterScript(QUuid::fromString(QStringLiteral("22222222-2222-4222-8222-222222222201")),
            QStringLiteral("Empty"), QString(), utc(2025, 12, 31, 23, 59, 59)),
    };
    payload.teleprompter.wordsPerMinute = 150;
    payload.teleprompter.fontSize = 30.5;
    payload.teleprompter.voicePacingEnabled = true;
    payload.teleprompter.remoteControlPort = 9000;
    payload.camera.lookPreset = CameraLookPreset::warmStudio;
    payload.camera.portraitBackgroundMode = PortraitBackgroundMode::softBlur;
    payload.camera.showLowerThird = true;
    payload.camera.lowerThirdName = QString::fromUtf8("Çağla Işık");
    payload.camera.exposureEV = -0.5;
    payload.overlayMode = PresentationOverlayMode::highlightBox;
    return payload;
}

struct StoreMessage {
    CamScriptStore::MessageLevel level;
    QString text;
};

class CamScriptStoreTest : public ::testing::Test {
protected:
    CamScriptStoreTest()
        : m_store(m_dir.path())
    {
        m_store.setMessageHandler([this](CamScriptStore::MessageLevel level, const QString &text) {
            m_messages.push_back({ level, text });
        });
    }

    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
    CamScriptStore m_store;
    std::vector<StoreMessage> m_messages;
};

} // namespace

TEST_F(CamScriptStoreTest, MissingFileGivesTheDefaultDocumentAndCreatesNothing)
{
    const CamPersistedPayload loaded = m_store.load();
    EXPECT_EQ(loaded.scripts, TeleprompterScript::sampleScripts());
    EXPECT_EQ(loaded.teleprompter, TeleprompterSettings());
    EXPECT_EQ(loaded.camera, CameraAdjustments());
    EXPECT_EQ(loaded.overlayMode, PresentationOverlayMode::fadingLaser);
    EXPECT_TRUE(entries().isEmpty());

    // Nothing was unreadable, so the first save writes plainly.
    ASSERT_TRUE(m_store.save(loaded));
    EXPECT_EQ(entries(), QStringList { QStringLiteral("zunocam-store.json") });
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(CamScriptStoreTest, DocumentsAreReadTolerantlyButOneBadValueRejectsAll)
{
    const CamPersistedPayload defaults;
    CamPersistedPayload emptyScripts;
    emptyScripts.scripts.clear();
    CamPersistedPayload keptCamera;
    keptCamera.camera.contrast = 1.5;
    keptCamera.camera.isMirrored = false;
    keptCamera.overlayMode = PresentationOverlayMode::cursorSpotlight;
    CamPersistedPayload oneScript;
    oneScript.scripts
        = { TeleprompterScript(QUuid::fromString(QStringLiteral("abcdefab-cdef-4abc-8def-abcdefabcdef")),
            QStringLiteral("x"), QStringLiteral("y"), utc(2026, 1, 2, 3, 4, 5)) };

    const char *validScript = R"({"id": "abcdefab-cdef-4abc-8def-abcdefabcdef", "title": "x", "body": "y",
                                  "updatedAt": "2026-01-02T03:04:05Z", "extra": 1})";
    const std::vector<std::tuple<const char *, std::string, CamPersistedPayload>> cases = {
        { "empty object", "{}", defaults },
        { "all null", R"({"scripts": null, "teleprompter": null, "camera": null, "overlayMode": null})",
            defaults },
        { "empty script list stays empty", R"({"scripts": []})", emptyScripts },
        { "camera lacking saturation",
            R"({"camera": {"contrast": 1.5, "isMirrored": false}, "overlayMode": "cursorSpotlight", "x": {}})",
            keptCamera },
        { "lower-case id, unknown script key", std::string(R"({"scripts": [)") + validScript + "]}",
            oneScript },
        { "unknown overlay mode", R"({"overlayMode": "laser"})", defaults },
        { "script lacking updatedAt",
            R"({"scripts": [{"id": "abcdefab-cdef-4abc-8def-abcdefabcdef", "title": "x",
                                       "body": "y"}]})",
            defaults },
        { "one bad script among good ones",
            std::string(R"({"scripts": [)") + validScript + R"(, {"id": 5}]})", defaults },
        { "scripts not a list", R"({"scripts": {}})", defaults },
        { "wrong type deep inside", R"({"camera": {"contrast": 1.5}, "teleprompter": {"fontSize": "big"}})",
            defaults },
        { "top level not an object", "[]", defaults },
        { "not JSON", "zunocam", defaults },
        { "truncated", R"({"camera": {"contrast": 1.5)", defaults },
        { "empty file", "", defaults },
        { "invalid UTF-8", "{\"camera\": {\"lowerThirdName\": \"\xff\xfe\"}}", defaults },
    };
    for (const auto &[name, text, expected] : cases) {
        SCOPED_TRACE(name);
        writeBytes(m_store.fileURL(), QByteArray::fromStdString(text));
        EXPECT_EQ(m_store.load(), expected);
        EXPECT_EQ(readBytes(m_store.fileURL()), QByteArray::fromStdString(text))
            << "load must not touch the file";
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(CamScriptStoreTest, SavedDocumentLoadsBackEqual)
{
    const CamPersistedPayload document = sampleDocument();
    ASSERT_TRUE(m_store.save(document));
    EXPECT_EQ(m_store.load(), document);

    // A second store over the same folder reads the same file.
    EXPECT_EQ(CamScriptStore(m_dir.path()).load(), document);
}

TEST_F(CamScriptStoreTest, FileHasTheStoredFormatExactly)
{
    ASSERT_TRUE(m_store.save(sampleDocument()));
    const QByteArray written = readBytes(m_store.fileURL());
    const QByteArray expected = readBytes(QStringLiteral(ZUNO_TEST_DATA "/Models/zunocam-store-format.json"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(written.toStdString(), expected.toStdString());

    // The same facts without the fixture: sorted keys, upper-case ids, UTC dates with whole seconds.
    EXPECT_TRUE(written.startsWith("{\n  \"camera\": {\n    \"autoFaceFraming\": true,"));
    const qsizetype camera = written.indexOf("\"camera\"");
    const qsizetype overlay = written.indexOf("\"overlayMode\"");
    const qsizetype scripts = written.indexOf("\"scripts\"");
    const qsizetype teleprompter = written.indexOf("\"teleprompter\"");
    EXPECT_TRUE(camera < overlay && overlay < scripts && scripts < teleprompter);
    EXPECT_LT(written.indexOf("\"vignetteIntensity\""), written.indexOf("\"warmthShift\""));
    EXPECT_TRUE(written.contains("\"id\": \"0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0FF\""));
    EXPECT_TRUE(written.contains("\"updatedAt\": \"2026-03-01T09:30:00Z\""));
    EXPECT_TRUE(written.contains("\"countdownSecondsBeforeStart\": 3,"));
}

TEST_F(CamScriptStoreTest, StoreCreatesItsFolderWithParents)
{
    const QString nested = m_dir.filePath(QStringLiteral("a/b/ZunoCam"));
    CamScriptStore store(nested);
    EXPECT_TRUE(QDir(nested).exists());
    EXPECT_EQ(store.fileURL(), nested + QStringLiteral("/zunocam-store.json"));

    // Removed behind the store's back, the folder comes back with the next save.
    ASSERT_TRUE(QDir(m_dir.filePath(QStringLiteral("a"))).removeRecursively());
    EXPECT_TRUE(store.save(CamPersistedPayload()));
    EXPECT_TRUE(QFile::exists(store.fileURL()));
}

TEST(CamScriptStoreDefaultFolder, LivesInApplicationSupport)
{
    ZunoTestHome home;
    const CamScriptStore store;
    EXPECT_EQ(store.fileURL(),
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/ZunoCam/zunocam-store.json"));
    EXPECT_TRUE(QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/ZunoCam")).exists());
}

TEST_F(CamScriptStoreTest, UnreadableDocumentIsMovedAsideBeforeTheFirstSave)
{
    const QByteArray broken = R"({"scripts": [{"id": "my only copy", "title": "Keynote"}]})";
    writeBytes(m_store.fileURL(), broken);
    EXPECT_EQ(m_store.load(), CamPersistedPayload());
    EXPECT_EQ(entries(), QStringList { QStringLiteral("zunocam-store.json") });

    const CamPersistedPayload document = sampleDocument();
    ASSERT_TRUE(m_store.save(document));
    const QStringList files = entries();
    ASSERT_EQ(files.size(), 2) << files.join(QLatin1Char(' ')).toStdString();
    const QString rescued = files.filter(QStringLiteral(".corrupt-")).value(0);
    EXPECT_TRUE(rescued.startsWith(QStringLiteral("zunocam-store.corrupt-"))
        && rescued.endsWith(QStringLiteral(".json")));
    EXPECT_EQ(readBytes(m_dir.filePath(rescued)), broken);
    EXPECT_EQ(m_store.rescuedFileURL(), m_dir.filePath(rescued));
    EXPECT_EQ(m_store.load(), document);

    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].level, CamScriptStore::MessageLevel::warn);
    EXPECT_TRUE(m_messages[0].text.contains(rescued));

    // Only once: the next saves replace the now valid document.
    ASSERT_TRUE(m_store.save(CamPersistedPayload()));
    EXPECT_EQ(entries().size(), 2);
    EXPECT_EQ(m_messages.size(), 1u);

    // A second broken file in the same second keeps the first rescue too.
    writeBytes(m_store.fileURL(), "not json");
    m_store.load();
    ASSERT_TRUE(m_store.save(document));
    EXPECT_EQ(entries().filter(QStringLiteral(".corrupt-")).size(), 2);
}

TEST_F(CamScriptStoreTest, RepairedOrRemovedFileNeedsNoRescue)
{
    ASSERT_TRUE(m_store.save(sampleDocument()));
    const QByteArray valid = readBytes(m_store.fileURL());

    // Repaired by hand and read again before the studio saved.
    writeBytes(m_store.fileURL(), "garbage");
    m_store.load();
    writeBytes(m_store.fileURL(), valid);
    EXPECT_EQ(m_store.load(), sampleDocument());
    ASSERT_TRUE(m_store.save(CamPersistedPayload()));

    // Removed before the studio saved.
    writeBytes(m_store.fileURL(), "garbage");
    m_store.load();
    ASSERT_TRUE(QFile::remove(m_store.fileURL()));
    ASSERT_TRUE(m_store.save(sampleDocument()));

    EXPECT_EQ(entries(), QStringList { QStringLiteral("zunocam-store.json") });
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(m_store.rescuedFileURL());
}

TEST_F(CamScriptStoreTest, DocumentThatCannotBeEncodedIsReportedAndNotWritten)
{
    ASSERT_TRUE(m_store.save(sampleDocument()));
    const QByteArray before = readBytes(m_store.fileURL());

    CamPersistedPayload bad = sampleDocument();
    bad.teleprompter.panelOpacity = std::numeric_limits<double>::quiet_NaN();
    const CamScriptStore::SaveResult result = m_store.save(bad);
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.message.contains(QStringLiteral("panelOpacity")));
    EXPECT_EQ(readBytes(m_store.fileURL()), before);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].level, CamScriptStore::MessageLevel::error);
}

namespace {

// Limits the size of files this process may write, as a full disk or quota would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved {};
    void (*m_savedHandler)(int) = nullptr;
};

} // namespace

TEST_F(CamScriptStoreTest, FailedWriteKeepsThePreviousDocumentAndIsReported)
{
    const CamPersistedPayload previous = sampleDocument();
    ASSERT_TRUE(m_store.save(previous));
    const QByteArray before = readBytes(m_store.fileURL());
    ASSERT_GT(before.size(), 512);

    CamPersistedPayload next = sampleDocument();
    next.overlayMode = PresentationOverlayMode::arrowTool;
    CamScriptStore::SaveResult result;
    {
        FileSizeLimit limit(256);
        result = m_store.save(next);
    }
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.message.isEmpty());
    EXPECT_EQ(readBytes(m_store.fileURL()), before);
    EXPECT_EQ(m_store.load(), previous);
    EXPECT_EQ(entries(), QStringList { QStringLiteral("zunocam-store.json") })
        << "no temporary file left behind";
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].level, CamScriptStore::MessageLevel::error);

    EXPECT_TRUE(m_store.save(next));
    EXPECT_EQ(m_store.load(), next);
}

TEST_F(CamScriptStoreTest, CrashInTheMiddleOfASaveKeepsThePreviousDocument)
{
    const CamPersistedPayload previous = sampleDocument();
    ASSERT_TRUE(m_store.save(previous));
    const QByteArray before = readBytes(m_store.fileURL());

    // The child process is killed by the kernel partway through writing the new document.
    const auto saveUntilKilled = [this] {
        rlimit noCore { 0, 0 };
        setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit { 300, RLIM_INFINITY };
        setrlimit(RLIMIT_FSIZE, &limit);
        m_store.save(CamPersistedPayload());
        std::_Exit(0);
    };
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(saveUntilKilled(), ::testing::KilledBySignal(SIGXFSZ), "");

    EXPECT_EQ(readBytes(m_store.fileURL()), before);
    EXPECT_EQ(m_store.load(), previous);
}

TEST(CamScriptStoreTemporaries, OpeningTheStoreRemovesSavesCutShortByAKill)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(CamScriptStore(dir.path()).save(CamPersistedPayload()));
    const QStringList left { QStringLiteral("zunocam-store.json.Ab12Cd"),
        QStringLiteral("zunocam-store.json.x9Y8z7") };
    for (const QString &name : left) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{ \"scripts\": [");
    }
    CamScriptStore store(dir.path());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("zunocam-store.json") });
    EXPECT_TRUE(store.save(CamPersistedPayload()));
}
