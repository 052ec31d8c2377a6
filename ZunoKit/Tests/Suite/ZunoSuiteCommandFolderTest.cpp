// The command folder: one file per command, taken exactly once, oldest first, fresh only.
#include "SuiteTestFiles.h"
#include "ZunoJson.h"
#include "ZunoSuiteCommandBus.h"
#include "ZunoTestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using A = ZunoSuiteApp;
using K = ZunoSuiteCommandKind;

const QDateTime kNoon(QDate(2026, 3, 1), QTime(12, 0, 0), Qt::UTC);

ZunoSuiteCommandEnvelope envelopeFor(A target, const QDateTime &when = kNoon, const QString &payload = {})
{
    ZunoSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = when;
    envelope.sourceApp = A::zunoCam;
    envelope.targetApp = target;
    envelope.kind = K::ramToggleHUD;
    if (!payload.isEmpty())
        envelope.payload = payload;
    return envelope;
}

void age(const QString &path, int seconds)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(
        QDateTime::currentDateTimeUtc().addSecs(-seconds), QFileDevice::FileModificationTime));
}

class ZunoSuiteCommandFolderTest : public ::testing::Test {
protected:
    ZunoTestHome home;
    ZunoSuiteCommandBus bus { home.filePath("base") };

    QStringList entries(const QDir::Filters filters = QDir::Files) const
    {
        return QDir(bus.commandsDirectory()).entryList(filters | QDir::NoDotAndDotDot, QDir::Name);
    }
};

} // namespace

TEST_F(ZunoSuiteCommandFolderTest, OneFilePerCommandInAPrivateFolder)
{
    EXPECT_EQ(bus.commandsDirectory(), home.filePath("base/Commands"));
    EXPECT_EQ(ZunoSuiteCommandBus(std::nullopt).commandsDirectory(),
        home.filePath(".local/share/Quarnwell/SuiteTelemetry/Commands"));
    EXPECT_FALSE(QFileInfo::exists(bus.commandsDirectory()));

    const auto envelope = envelopeFor(A::zunoRAM);
    ASSERT_TRUE(bus.enqueue(envelope));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(bus.commandsDirectory()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    const QStringList files = entries();
    ASSERT_EQ(files.size(), 1);
    const QRegularExpression name(QRegularExpression::anchoredPattern("zunoram-cmd-[0-9]{20}-"
        + QRegularExpression::escape(ZunoJson::uuidString(envelope.id)) + "\\.json"));
    EXPECT_TRUE(name.match(files.first()).hasMatch()) << files.first().toStdString();
    QFile file(QDir(bus.commandsDirectory()).filePath(files.first()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), envelope.encoded());
    EXPECT_EQ(ZunoSuiteCommandBus::notificationName(A::zunoAgentBrowser),
        "com.quarnwell.suite.command.zunoagentbrowser");
}

TEST_F(ZunoSuiteCommandFolderTest, ConsumeTakesEachCommandOnceOldestFirst)
{
    std::vector<ZunoSuiteCommandEnvelope> sent;
    for (int i = 0; i < 3; ++i) {
        sent.push_back(envelopeFor(A::zunoRAM, kNoon, QString::number(i)));
        ASSERT_TRUE(bus.enqueue(sent.back()));
    }
    ASSERT_TRUE(bus.enqueue(envelopeFor(A::zunoKill)));
    // Peek shows the oldest and leaves it.
    EXPECT_EQ(bus.peekPendingCommand(A::zunoRAM, kNoon, 25), sent[0]);
    EXPECT_EQ(bus.peekPendingCommand(A::zunoRAM, kNoon, 25), sent[0]);
    for (const auto &expected : sent)
        EXPECT_EQ(bus.consumePendingCommand(A::zunoRAM, kNoon, 25), expected);
    EXPECT_FALSE(bus.consumePendingCommand(A::zunoRAM, kNoon, 25));
    EXPECT_FALSE(bus.peekPendingCommand(A::zunoRAM, kNoon, 25));
    // Another target's command is untouched, and nothing claimed is left behind.
    EXPECT_EQ(entries(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(ZunoSuiteCommandFolderTest, FreshnessIsTwentyFiveSecondsEitherWay)
{
    struct Case {
        const char *name;
        qint64 nowAfterTimestampMs;
        bool delivered;
    };
    const Case cases[] = {
        { "25 s old", 25000, true },
        { "25.5 s old", 25500, false },
        { "25 s ahead", -25000, true },
        { "25.5 s ahead", -25500, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto envelope = envelopeFor(A::zunoRAM);
        ASSERT_TRUE(bus.enqueue(envelope));
        const QDateTime now = kNoon.addMSecs(c.nowAfterTimestampMs);
        EXPECT_EQ(bus.peekPendingCommand(A::zunoRAM, now, 25).has_value(), c.delivered);
        EXPECT_EQ(bus.consumePendingCommand(A::zunoRAM, now, 25).has_value(), c.delivered);
        // Delivered or dropped, the file is gone.
        EXPECT_TRUE(entries().isEmpty());
    }
}

TEST_F(ZunoSuiteCommandFolderTest, MisaddressedAndBrokenFilesAreDroppedByConsumeOnly)
{
    const QString folder = bus.commandsDirectory();
    // Written ten seconds ago, so they come before the good one.
    const qint64 earlierNs = (QDateTime::currentMSecsSinceEpoch() - 10000) * 1000000;
    const auto misaddressed = envelopeFor(A::zunoKill);
    writeFile(folder + "/" + ZunoSuiteCommandFolder::commandFileName(A::zunoRAM, earlierNs, misaddressed.id),
        misaddressed.encoded());
    writeFile(folder + "/"
            + ZunoSuiteCommandFolder::commandFileName(A::zunoRAM, earlierNs + 1, QUuid::createUuid()),
        "{\"id\":");
    const auto good = envelopeFor(A::zunoRAM);
    ASSERT_TRUE(bus.enqueue(good));
    EXPECT_EQ(bus.peekPendingCommand(A::zunoRAM, kNoon, 25), good);
    EXPECT_EQ(entries().size(), 3);
    EXPECT_EQ(bus.consumePendingCommand(A::zunoRAM, kNoon, 25), good);
    EXPECT_TRUE(entries(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(ZunoSuiteCommandFolderTest, AFifoADeviceLinkAndAHugeFileAreNoCommands)
{
    const QString folder = bus.commandsDirectory();
    const qint64 earlierNs = (QDateTime::currentMSecsSinceEpoch() - 10000) * 1000000;
    const auto name = [&](int n) {
        return QFile::encodeName(
            folder + "/" + ZunoSuiteCommandFolder::commandFileName(A::zunoRAM, earlierNs + n, QUuid::createUuid()));
    };
    const auto good = envelopeFor(A::zunoRAM);
    ASSERT_TRUE(bus.enqueue(good));
    // Older than the good command, and one in the single slot that is read first.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/zunoram-cmd.json").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(name(1).constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", name(2).constData()), 0);
    QFile huge(QFile::decodeName(name(3)));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(100LL * 1024 * 1024));
    huge.close();

    EXPECT_EQ(bus.peekPendingCommand(A::zunoRAM, kNoon, 25), good);
    EXPECT_EQ(bus.consumePendingCommand(A::zunoRAM, kNoon, 25), good);
    EXPECT_FALSE(bus.consumePendingCommand(A::zunoRAM, kNoon, 25));
}

TEST_F(ZunoSuiteCommandFolderTest, TheSingleSlotFileIsReadFirst)
{
    const auto queued = envelopeFor(A::zunoRAM, kNoon, "queued");
    ASSERT_TRUE(bus.enqueue(queued));
    const auto slot = envelopeFor(A::zunoRAM, kNoon, "slot");
    writeFile(bus.commandsDirectory() + "/zunoram-cmd.json", slot.encoded());
    EXPECT_EQ(bus.peekPendingCommand(A::zunoRAM, kNoon, 25), slot);
    EXPECT_EQ(bus.consumePendingCommand(A::zunoRAM, kNoon, 25), slot);
    EXPECT_EQ(bus.consumePendingCommand(A::zunoRAM, kNoon, 25), queued);
}

TEST_F(ZunoSuiteCommandFolderTest, EnqueueRemovesTheTargetsLeftoversOlderThanAnHour)
{
    const QString folder = bus.commandsDirectory();
    const qint64 twoHoursAgoNs = (QDateTime::currentMSecsSinceEpoch() - 2 * 3600 * 1000) * 1000000;
    const qint64 halfHourAgoNs = (QDateTime::currentMSecsSinceEpoch() - 1800 * 1000) * 1000000;
    const QString old
        = ZunoSuiteCommandFolder::commandFileName(A::zunoRAM, twoHoursAgoNs, QUuid::createUuid());
    const QString recent
        = ZunoSuiteCommandFolder::commandFileName(A::zunoRAM, halfHourAgoNs, QUuid::createUuid());
    const QString otherTarget
        = ZunoSuiteCommandFolder::commandFileName(A::zunoKill, twoHoursAgoNs, QUuid::createUuid());
    const QString claimed = ".zunoram-cmd-00000000000000000001-X.json.claimed-42-1";
    const QString freshClaimed = ".zunoram-cmd-00000000000000000002-X.json.claimed-42-2";
    for (const QString &name :
        { old, recent, otherTarget, claimed, freshClaimed, QStringLiteral("zunoram-cmd.json") })
        writeFile(folder + "/" + name, "{}");
    age(folder + "/" + claimed, 2 * 3600);
    age(folder + "/zunoram-cmd.json", 2 * 3600);

    ASSERT_TRUE(bus.enqueue(envelopeFor(A::zunoRAM)));
    const QStringList left = entries(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left.size(), 4) << left.join(' ').toStdString();
    for (const QString &kept : { recent, otherTarget, freshClaimed })
        EXPECT_TRUE(left.contains(kept)) << kept.toStdString();
}
