#include "ZunoDesktopEntryLauncher.h"

#include "ZunoDesktopEntryCommand.h"
#include "ZunoDetachedProcess.h"
#include "ZunoStartupToken.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <cerrno>

// GLib names a struct member `signals`, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

namespace {

QString stringKey(GDesktopAppInfo *info, const char *key)
{
    gchar *value = g_desktop_app_info_get_string(info, key);
    const QString text = QString::fromUtf8(value);
    g_free(value);
    return text;
}

ZunoDesktopEntryStart failed(const QString &path, const QString &why)
{
    qWarning("ZunoDesktopEntryLauncher: cannot start %s: %s", qPrintable(path), qPrintable(why));
    return { false, why, nullptr };
}

// Why GIO refused an entry that is there: most often its Exec program is missing or not executable,
// which the user can mend once told.
QString refusal(const QString &path)
{
    QString why = path + QStringLiteral(" is not a usable desktop entry");
    GKeyFile *file = g_key_file_new();
    if (g_key_file_load_from_file(file, QFile::encodeName(path).constData(), G_KEY_FILE_NONE, nullptr)) {
        gchar *exec
            = g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr);
        gint argc = 0;
        gchar **argv = nullptr;
        if (!exec || !*exec || !g_shell_parse_argv(exec, &argc, &argv, nullptr)) {
            why = path + QStringLiteral(" has no usable Exec line");
        } else if (gchar *found = g_find_program_in_path(argv[0])) {
            g_free(found);
        } else {
            const QString program = QFile::decodeName(argv[0]);
            const bool there = program.contains(QLatin1Char('/')) && QFileInfo::exists(program);
            why = program + QStringLiteral(": ") + qt_error_string(there ? EACCES : ENOENT);
        }
        g_strfreev(argv);
        g_free(exec);
    }
    g_key_file_free(file);
    return why;
}

// Runs the entry's Exec line itself, so that a program that cannot be executed (a missing
// interpreter, say) is a failed start and a started one can be watched: GIO's launch helper would
// report the helper's own start.
ZunoDesktopEntryStart startExec(
    GDesktopAppInfo *info, const QString &path, const std::optional<QString> &token)
{
    const auto command
        = ZunoDesktopEntryCommand::parse(QString::fromUtf8(g_app_info_get_commandline(G_APP_INFO(info))),
            QString::fromUtf8(g_app_info_get_name(G_APP_INFO(info))), stringKey(info, "Icon"), path);
    if (!command)
        return failed(path, path + QStringLiteral(" has no usable Exec line"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A token is only for the start it was made for; an inherited one would be stale.
    environment.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
    environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    if (token) {
        environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), *token);
        environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), *token);
    }
    environment.insert(QStringLiteral("GIO_LAUNCHED_DESKTOP_FILE"), path);
    const QString directory = stringKey(info, "Path");
    QString failure;
    std::shared_ptr<ZunoDetachedProcess> program
        = ZunoDetachedProcess::start({ command->program, command->arguments, environment.toStringList(),
                                         directory.isEmpty() ? std::nullopt : std::optional(directory) },
            &failure);
    if (!program)
        return failed(path, failure);
    return { true, QString(), std::move(program) };
}

// An entry started over the bus or in a terminal: GIO knows how; its answer is that of the request.
ZunoDesktopEntryStart launchThroughGio(
    GDesktopAppInfo *info, const QString &path, const std::optional<QString> &token)
{
    GAppLaunchContext *context = g_app_launch_context_new();
    if (token) {
        const QByteArray bytes = token->toUtf8();
        g_app_launch_context_setenv(context, "DESKTOP_STARTUP_ID", bytes.constData());
        g_app_launch_context_setenv(context, "XDG_ACTIVATION_TOKEN", bytes.constData());
    }
    GError *error = nullptr;
    const bool launched = g_app_info_launch(G_APP_INFO(info), nullptr, context, &error);
    g_object_unref(context);
    const QString why = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    if (error)
        g_error_free(error);
    if (!launched)
        return failed(path, why);
    return { true, QString(), nullptr };
}

} // namespace

ZunoDesktopEntryStart ZunoDesktopEntryLauncher::open(const QString &path, bool activates)
{
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
    if (!info)
        return failed(path, refusal(path));
    // A start that should come forward carries a startup token in its environment; the window
    // manager may keep one without it behind the window the user is in.
    std::optional<QString> token;
    if (activates)
        token = ZunoStartupToken::make();
    ZunoDesktopEntryStart start = g_desktop_app_info_get_boolean(info, "DBusActivatable")
            || g_desktop_app_info_get_boolean(info, "Terminal")
        ? launchThroughGio(info, path, token)
        : startExec(info, path, token);
    g_object_unref(info);
    return start;
}
