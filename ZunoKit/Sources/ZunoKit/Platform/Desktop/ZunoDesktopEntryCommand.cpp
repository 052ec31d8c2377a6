#include "ZunoDesktopEntryCommand.h"

#include <glib.h>

namespace {

// The field codes inside one argument, expanded.
QString expandInside(const QString &argument, const QString &name, const QString &entryPath)
{
    QString out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        if (c != QLatin1Char('%') || i + 1 == argument.size()) {
            out.append(c);
            continue;
        }
        const QChar code = argument.at(++i);
        if (code == QLatin1Char('%'))
            out.append(QLatin1Char('%'));
        else if (code == QLatin1Char('c'))
            out.append(name);
        else if (code == QLatin1Char('k'))
            out.append(entryPath);
    }
    return out;
}

} // namespace

std::optional<ZunoDesktopEntryCommand> ZunoDesktopEntryCommand::parse(
    const QString &exec, const QString &name, const QString &icon, const QString &entryPath)
{
    // The entry's quoting is the shell's, as the desktop's own launcher reads it.
    gchar **argv = nullptr;
    if (!g_shell_parse_argv(exec.toUtf8().constData(), nullptr, &argv, nullptr))
        return std::nullopt;
    QStringList words;
    for (gchar **word = argv; *word; ++word)
        words.append(QString::fromUtf8(*word));
    g_strfreev(argv);

    QStringList expanded;
    for (const QString &word : std::as_const(words)) {
        // The file and URL codes (no files are passed) and the deprecated ones stand alone and go.
        static const QStringList kDropped { QStringLiteral("%f"), QStringLiteral("%F"), QStringLiteral("%u"),
            QStringLiteral("%U"), QStringLiteral("%d"), QStringLiteral("%D"), QStringLiteral("%n"),
            QStringLiteral("%N"), QStringLiteral("%v"), QStringLiteral("%m") };
        if (kDropped.contains(word))
            continue;
        if (word == QLatin1String("%i")) {
            if (!icon.isEmpty())
                expanded << QStringLiteral("--icon") << icon;
            continue;
        }
        expanded.append(expandInside(word, name, entryPath));
    }
    if (expanded.isEmpty() || expanded.front().isEmpty())
        return std::nullopt;
    return ZunoDesktopEntryCommand { expanded.front(), expanded.mid(1) };
}
