#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The command line of a desktop entry's Exec value for a start without files or URLs: the value is
// split by its quoting rules, %f %F %u %U go, %i becomes "--icon" and the icon, %c the name, %k the
// entry's path, %% a percent sign; other (deprecated) field codes go. No value when it cannot be split
// or holds no program.
struct ZunoDesktopEntryCommand {
    QString program;
    QStringList arguments;

    static std::optional<ZunoDesktopEntryCommand> parse(
        const QString &exec, const QString &name, const QString &icon, const QString &entryPath);

    bool operator==(const ZunoDesktopEntryCommand &) const = default;
};
