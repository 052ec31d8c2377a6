#include "ZunoDesktopWindowPreferences.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

namespace {

using Button = ZunoWindowButtonLayout::Button;
using Side = ZunoWindowButtonLayout::Side;

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

ZunoWindowButtonLayout build(const std::vector<Button> &left, const std::vector<Button> &right)
{
    ZunoWindowButtonLayout layout;
    layout.side = left.size() > right.size() ? Side::left : Side::right;
    std::vector<Button> order = layout.side == Side::left ? left : right;
    const bool onLeft = layout.side == Side::left;
    auto has = [&order](Button b) { return std::find(order.begin(), order.end(), b) != order.end(); };
    // A missing minimise or maximise joins on the inner end, a missing close on the outer end, so
    // that the three keep their usual order.
    if (onLeft) {
        for (Button b : { Button::minimize, Button::maximize })
            if (!has(b))
                order.push_back(b);
        if (!has(Button::close))
            order.insert(order.begin(), Button::close);
    } else {
        for (Button b : { Button::maximize, Button::minimize })
            if (!has(b))
                order.insert(order.begin(), b);
        if (!has(Button::close))
            order.push_back(Button::close);
    }
    layout.order = order;
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
            const auto b = gnomeButton(name);
            if (b && std::find(list.begin(), list.end(), *b) == list.end())
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
            const auto b = kdeButton(letter);
            if (b && std::find(list.begin(), list.end(), *b) == list.end())
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
