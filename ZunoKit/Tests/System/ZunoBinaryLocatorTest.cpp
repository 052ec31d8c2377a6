#include "ZunoBinaryLocator.h"

#include "ZunoTestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kTool = QStringLiteral("zuno-locator-probe");

// A tool file in `directory` (made as needed); executable unless asked otherwise.
QString makeTool(const QString &directory, bool executable = true)
{
    QDir().mkpath(directory);
    QFile file(QDir(directory).filePath(kTool));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                   : QFile::ReadOwner | QFile::WriteOwner);
    return file.fileName();
}

class EnvironmentValue {
public:
    EnvironmentValue(const char *name, const QByteArray &value)
        : m_name(name)
        , m_saved(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentValue() { qputenv(m_name, m_saved); }

private:
    const char *m_name;
    QByteArray m_saved;
};

} // namespace

TEST(ZunoBinaryLocator, CandidatesInOrder)
{
    ZunoTestHome home;
    QTemporaryDir dir;
    const QString resources = dir.filePath(QStringLiteral("resources"));
    const QString extraA = dir.filePath(QStringLiteral("extra-a"));
    const QString extraB = dir.filePath(QStringLiteral("extra-b"));
    const QString localBin = home.filePath(QStringLiteral(".local/bin"));
    const QString onPath = dir.filePath(QStringLiteral("on-path"));
    EnvironmentValue path("PATH", QFile::encodeName(onPath));
    ZunoBundle bundle;
    bundle.resourceDirectory = resources;

    // Each step removes the winner, so the next candidate in line must win.
    const QStringList winners = { makeTool(resources + QStringLiteral("/bin")), makeTool(resources),
        makeTool(extraA), makeTool(extraB), makeTool(localBin), makeTool(onPath) };
    for (const QString &winner : winners) {
        EXPECT_EQ(ZunoBinaryLocator::locate(kTool, bundle, { extraA, extraB }), std::optional(winner));
        QFile::remove(winner);
    }
    EXPECT_EQ(ZunoBinaryLocator::locate(kTool, bundle, { extraA, extraB }), std::nullopt);
}

TEST(ZunoBinaryLocator, BundleToolComesBeforeTheSystemOne)
{
    QTemporaryDir dir;
    ZunoBundle bundle;
    bundle.resourceDirectory = dir.path();
    QDir().mkpath(dir.filePath(QStringLiteral("bin")));
    QFile::copy(QStringLiteral("/bin/sh"), dir.filePath(QStringLiteral("bin/sh")));
    EXPECT_EQ(ZunoBinaryLocator::locate(QStringLiteral("sh"), bundle),
        std::optional(dir.filePath(QStringLiteral("bin/sh"))));

    // Without a resource folder, the fixed system folders come before PATH.
    EnvironmentValue path("PATH", QFile::encodeName(dir.filePath(QStringLiteral("bin"))));
    const auto system = ZunoBinaryLocator::locate(QStringLiteral("sh"), ZunoBundle {});
    ASSERT_TRUE(system.has_value());
    EXPECT_TRUE(ZunoBinaryLocator::fixedDirectories().contains(QFileInfo(*system).path()))
        << system->toStdString();
}

TEST(ZunoBinaryLocator, SkipsWhatIsNoExecutableFile)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    const QString good = dir.filePath(QStringLiteral("good"));
    makeTool(plain, false);
    QDir().mkpath(QDir(folder).filePath(kTool)); // a folder named like the tool
    const QString tool = makeTool(good);
    EXPECT_EQ(ZunoBinaryLocator::locate(kTool, ZunoBundle {}, { plain, folder, good }), std::optional(tool));
}

TEST(ZunoBinaryLocator, EmptyPathEntriesAreNotTheCurrentFolder)
{
    QTemporaryDir dir;
    makeTool(dir.path());
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        EnvironmentValue path("PATH", "::");
        EXPECT_EQ(ZunoBinaryLocator::locate(kTool, ZunoBundle {}), std::nullopt);
    }
    {
        EnvironmentValue path("PATH", ":.:"); // a "." entry is taken as it says
        EXPECT_EQ(ZunoBinaryLocator::locate(kTool, ZunoBundle {}),
            std::optional(QDir(dir.path()).absoluteFilePath(kTool)));
    }
    QDir::setCurrent(saved);
}
