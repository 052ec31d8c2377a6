#include "ZunoLaunchAtLogin.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeEntry(const QString &text)
{
    const QString path = ZunoLaunchAtLogin::entryPath();
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

} // namespace

TEST(ZunoLaunchAtLogin, AutostartEntryRoundTrip)
{
    ZunoTestHome home;
    const QString path = ZunoLaunchAtLogin::entryPath();
    EXPECT_EQ(path, home.filePath(QStringLiteral(".config/autostart/com.quarnwell.zunocam.desktop")));
    EXPECT_FALSE(ZunoLaunchAtLogin::isEnabled());

    ASSERT_TRUE(ZunoLaunchAtLogin::setEnabled(true));
    EXPECT_TRUE(ZunoLaunchAtLogin::isEnabled());
    const QString text = readAll(path);
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\nName=ZunoCam\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=")
        + ZunoLaunchAtLogin::execValue(QCoreApplication::applicationFilePath()) + '\n'));

    // Enabling again rewrites the same entry.
    ASSERT_TRUE(ZunoLaunchAtLogin::setEnabled(true));
    EXPECT_EQ(readAll(path), text);

    ASSERT_TRUE(ZunoLaunchAtLogin::setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(ZunoLaunchAtLogin::isEnabled());
    EXPECT_TRUE(ZunoLaunchAtLogin::setEnabled(false)); // nothing left to remove
}

TEST(ZunoLaunchAtLogin, EntriesSwitchedOffOrBrokenReadAsDisabled)
{
    struct Case {
        const char *name;
        const char *text;
        bool enabled;
    };
    const Case cases[] = {
        { "plain", "[Desktop Entry]\nType=Application\nExec=/usr/bin/zunocam\n", true },
        { "comments and spacing", "# made by hand\n[Desktop Entry]\n Exec = /usr/bin/zunocam \n", true },
        { "hidden", "[Desktop Entry]\nExec=/usr/bin/zunocam\nHidden=true\n", false },
        { "switched off in GNOME",
            "[Desktop Entry]\nExec=/usr/bin/zunocam\nX-GNOME-Autostart-enabled=false\n", false },
        { "no command", "[Desktop Entry]\nType=Application\nName=ZunoCam\n", false },
        { "command in another group",
            "[Desktop Entry]\nName=ZunoCam\n[Desktop Action x]\nExec=/usr/bin/zunocam\n", false },
        { "empty file", "", false },
    };
    ZunoTestHome home;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeEntry(QString::fromUtf8(c.text));
        EXPECT_EQ(ZunoLaunchAtLogin::isEnabled(), c.enabled);
    }
    // Disabling removes a hand-made entry too.
    EXPECT_TRUE(ZunoLaunchAtLogin::setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(ZunoLaunchAtLogin::entryPath()));
}

TEST(ZunoLaunchAtLogin, UnwritableAutostartFolderFails)
{
    ZunoTestHome home;
    QDir().mkpath(home.filePath(QStringLiteral(".config")));
    QFile blocker(home.filePath(QStringLiteral(".config/autostart"))); // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(ZunoLaunchAtLogin::setEnabled(true));
    EXPECT_FALSE(ZunoLaunchAtLogin::isEnabled());
}

TEST(ZunoLaunchAtLogin, ExecValuesQuoteAndEscape)
{
    const std::pair<QString, QString> cases[] = {
        { QStringLiteral("/usr/bin/zunocam"), QStringLiteral("/usr/bin/zunocam") },
        { QStringLiteral("/opt/Zuno Cam/zunocam"), QStringLiteral("\"/opt/Zuno Cam/zunocam\"") },
        { QStringLiteral("/home/a/100%/zunocam"), QStringLiteral("/home/a/100%%/zunocam") },
        { QStringLiteral("/home/a/$x/zunocam"), QStringLiteral(R"("/home/a/\\$x/zunocam")") },
        { QStringLiteral("/home/a/\"q\"/zunocam"), QStringLiteral(R"("/home/a/\\"q\\"/zunocam")") },
        { QStringLiteral("/home/a\\b/zunocam"), QStringLiteral(R"("/home/a\\\\b/zunocam")") },
    };
    for (const auto &[program, expected] : cases) {
        SCOPED_TRACE(program.toStdString());
        EXPECT_EQ(ZunoLaunchAtLogin::execValue(program), expected);
    }
}
