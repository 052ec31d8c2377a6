#include "ZunoDesktopWindowPreferences.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

namespace {

using Button = ZunoWindowButtonLayout::Button;

std::optional<Button> gnomeButton(const QString &name)
{
    const QString n = name.trimmed();
    if (n == QLatin1String("close"))
        return Button::close;
    if (n == QLatin1String("minimize"))
        return Button::minimize;
    if (n == QLatin1String("maximize"))
        return Button::maximize;
    return std::nullopt;
}

std::optional<Button> kdeButton(QChar letter)
{
    switch (letter.unicode()) {
    case 'X':
        return Button::close;
    case 'I':
        return Button::minimize;
    case 'A':
        return Button::maximize;
    default:
        return std::nullopt;
    }
}

// A button named twice stays where it was first named.
ZunoWindowButtonLayout build(const std::vector<Button> &left, const std::vector<Button> &right)
{
    ZunoWindowButtonLayout layout;
    layout.left.clear();
    layout.right.clear();
    auto placed = [&layout](Button b) {
        for (const auto *side : { &layout.left, &layout.right }) {
            if (std::find(side->begin(), side->end(), b) != side->end())
                return true;
        }
        return false;
    };
    for (Button b : left) {
        if (!placed(b))
            layout.left.push_back(b);
    }
    for (Button b : right) {
        if (!placed(b))
            layout.right.push_back(b);
    }
    return layout;
}

struct Preferences {
    ZunoWindowButtonLayout layout;
    QString doubleClick = QString::fromLatin1(ZunoDesktopWindowPreferences::kDefaultDoubleClickAction);
};

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
        value = value.mid(1, value.size() - 2);
    return value;
}

Preferences readKde()
{
    Preferences result;
    const QString path
        = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kwinrc"));
    QSettings kwin(path, QSettings::IniFormat);
    result.layout = ZunoWindowButtonLayout::fromKde(
        kwin.value(QStringLiteral("org.kde.kdecoration2/ButtonsOnLeft"), QStringLiteral("MS")).toString(),
        kwin.value(QStringLiteral("org.kde.kdecoration2/ButtonsOnRight"), QStringLiteral("HIAX")).toString());
    const QString command = kwin.value(QStringLiteral("Windows/TitlebarDoubleClickCommand")).toString();
    if (command == QLatin1String("Minimize"))
        result.doubleClick = QStringLiteral("minimize");
    else if (command == QLatin1String("Nothing"))
        result.doubleClick = QStringLiteral("none");
    return result;
}

Preferences readGnome()
{
    Preferences result;
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        return result;
    QProcess process;
    process.start(gsettings,
        { QStringLiteral("list-recursively"), QStringLiteral("org.gnome.desktop.wm.preferences") });
    if (!process.waitForFinished(1000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(200);
        return result;
    }
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() < 3)
            continue;
        const QString value = unquoted(parts.mid(2).join(QLatin1Char(' ')));
        if (parts[1] == QLatin1String("button-layout"))
            result.layout = ZunoWindowButtonLayout::fromGnome(value);
        else if (parts[1] == QLatin1String("action-double-click-titlebar") && !value.isEmpty())
            result.doubleClick = value;
    }
    return result;
}

const Preferences &preferences()
{
    static const Preferences prefs = [] {
        if (qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("KDE"), Qt::CaseInsensitive))
            return readKde();
        return readGnome();
    }();
    return prefs;
}

} // namespace

ZunoWindowButtonLayout ZunoWindowButtonLayout::fromGnome(const QString &layout)
{
    const int colon = layout.indexOf(QLatin1Char(':'));
    const QString leftText = colon < 0 ? QString() : layout.left(colon);
    const QString rightText = colon < 0 ? layout : layout.mid(colon + 1);
    auto buttons = [](const QString &text) {
        std::vector<Button> list;
        for (const QString &name : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (const auto b = gnomeButton(name))
                list.push_back(*b);
        }
        return list;
    };
    return build(buttons(leftText), buttons(rightText));
}

ZunoWindowButtonLayout ZunoWindowButtonLayout::fromKde(const QString &left, const QString &right)
{
    auto buttons = [](const QString &text) {
        std::vector<Button> list;
        for (QChar letter : text) {
            if (const auto b = kdeButton(letter))
                list.push_back(*b);
        }
        return list;
    };
    return build(buttons(left), buttons(right));
}

namespace ZunoDesktopWindowPreferences {

ZunoWindowButtonLayout buttonLayout()
{
    return preferences().layout;
}

QString doubleClickAction()
{
    return preferences().doubleClick;
}

} // namespace ZunoDesktopWindowPreferences
