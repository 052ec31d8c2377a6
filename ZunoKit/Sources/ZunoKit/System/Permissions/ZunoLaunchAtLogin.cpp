#include "ZunoLaunchAtLogin.h"

#include "ZunoAtomicFile.h"
#include "ZunoBundle.h"
#include "ZunoPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ZunoLaunchAtLogin {

namespace {

// Characters that the desktop entry format requires a quoted argument for.
const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

QString displayName()
{
    const QString name
        = ZunoBundle::main().infoDictionary.value(QStringLiteral("CFBundleDisplayName")).toString();
    return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

// The [Desktop Entry] group's key=value lines; later groups and comments are ignored.
QMap<QString, QString> readDesktopEntry(const QString &path)
{
    QMap<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inGroup && equals > 0)
            entry.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return entry;
}

} // namespace

QString entryPath()
{
    return ZunoPaths::configuration() + QStringLiteral("/autostart/") + ZunoBundle::main().bundleIdentifier
        + QStringLiteral(".desktop");
}

QString execValue(const QString &program)
{
    QString argument = program;
    bool needsQuotes = argument.isEmpty();
    for (QChar c : argument)
        needsQuotes = needsQuotes || kReserved.contains(c);
    if (needsQuotes) {
        QString quoted;
        for (QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
                || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        argument = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // A string value escapes its backslashes once more; '%' would start a field code.
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return argument;
}

bool isEnabled()
{
    const QMap<QString, QString> entry = readDesktopEntry(entryPath());
    if (entry.value(QStringLiteral("Exec")).isEmpty())
        return false;
    if (entry.value(QStringLiteral("Hidden")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return false;
    return entry.value(QStringLiteral("X-GNOME-Autostart-enabled"))
               .compare(QLatin1String("false"), Qt::CaseInsensitive)
        != 0;
}

bool setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);

    const QString program = QCoreApplication::applicationFilePath();
    if (program.isEmpty() || program.contains(QLatin1Char('\n')) || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    QString name = displayName();
    name.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(name, execValue(program));
    return ZunoAtomicFile::write(path, text.toUtf8());
}

} // namespace ZunoLaunchAtLogin
