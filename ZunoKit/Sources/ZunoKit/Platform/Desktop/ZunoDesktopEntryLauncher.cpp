#include "ZunoDesktopEntryLauncher.h"

#include "ZunoDesktopEntryCommand.h"
#include "ZunoDetachedProcess.h"
#include "ZunoStartupToken.h"

#include <QFile>
#include <QProcessEnvironment>

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

// Runs the entry's Exec line itself, so that a program that cannot be executed (a missing
// interpreter, say) is a failed start: GIO's launch helper would report the helper's own start.
bool startExec(GDesktopAppInfo *info, const QString &path, const std::optional<QString> &token)
{
    const auto command
        = ZunoDesktopEntryCommand::parse(QString::fromUtf8(g_app_info_get_commandline(G_APP_INFO(info))),
            QString::fromUtf8(g_app_info_get_name(G_APP_INFO(info))), stringKey(info, "Icon"), path);
    if (!command) {
        qWarning("ZunoDesktopEntryLauncher: %s has no usable Exec line", qPrintable(path));
        return false;
    }
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
    const bool started
        = ZunoDetachedProcess::start({ command->program, command->arguments, environment.toStringList(),
                                         directory.isEmpty() ? std::nullopt : std::optional(directory) },
            &failure);
    if (!started)
        qWarning("ZunoDesktopEntryLauncher: cannot start %s: %s", qPrintable(path), qPrintable(failure));
    return started;
}

// An entry started over the bus or in a terminal: GIO knows how; its answer is that of the request.
bool launchThroughGio(GDesktopAppInfo *info, const QString &path, const std::optional<QString> &token)
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
    if (!launched) {
        qWarning("ZunoDesktopEntryLauncher: cannot start %s: %s", qPrintable(path),
            error ? error->message : "unknown error");
    }
    if (error)
        g_error_free(error);
    return launched;
}

} // namespace

bool ZunoDesktopEntryLauncher::open(const QString &path, bool activates)
{
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
    if (!info) {
        qWarning("ZunoDesktopEntryLauncher: %s is not a usable desktop entry", qPrintable(path));
        return false;
    }
    // A start that should come forward carries a startup token in its environment; the window
    // manager may keep one without it behind the window the user is in.
    std::optional<QString> token;
    if (activates)
        token = ZunoStartupToken::make();
    const bool started = g_desktop_app_info_get_boolean(info, "DBusActivatable")
            || g_desktop_app_info_get_boolean(info, "Terminal")
        ? launchThroughGio(info, path, token)
        : startExec(info, path, token);
    g_object_unref(info);
    return started;
}
