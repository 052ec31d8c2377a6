// Sends one piece of feedback through ZunoFeedbackService::submit, the way the composer does, and
// prints "reference: CODE, attachments: N, message: TEXT" (exit 0) or "error: DESCRIPTION" (exit 1).
//
//   FeedbackDemo --submit --base-url URL --email E --message M [--app NAME] [--name N] [--subject S]
//                [--kind bug|feature|new_app|general] [--language tr] [--screenshot FILE]...
//
// With --window it shows the feedback composer instead, presented as a sheet in a window, with or
// without a close action (--no-close). --pick feeds files to its pick step as if chosen in the dialog,
// --paste-sample pastes a generated image, --fill types sample text, --send presses send, and --grab
// saves the window as a picture (after --after milliseconds) and quits.

#include "ComposerWindow.h"
#include "ZunoAppVersion.h"
#include "ZunoFeedbackService.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUuid>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    // The windowed mode needs widgets; the submit mode needs no display.
    bool windowed = false;
    for (int i = 1; i < argc; ++i)
        windowed = windowed || qstrcmp(argv[i], "--window") == 0;
    if (windowed && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = windowed ? std::make_unique<QApplication>(argc, argv)
                                                     : std::make_unique<QCoreApplication>(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends feedback with screenshots to a feedback server."));
    parser.addHelpOption();
    const QCommandLineOption submit(QStringLiteral("submit"), QStringLiteral("Send the feedback."));
    const QCommandLineOption baseURL(
        QStringLiteral("base-url"), QStringLiteral("The feedback site."), QStringLiteral("URL"));
    const QCommandLineOption email(
        QStringLiteral("email"), QStringLiteral("Sender's e-mail."), QStringLiteral("E"));
    const QCommandLineOption message(
        QStringLiteral("message"), QStringLiteral("The feedback."), QStringLiteral("M"));
    const QCommandLineOption appName(QStringLiteral("app"), QStringLiteral("Application name."),
        QStringLiteral("NAME"), QStringLiteral("ZunoCam"));
    const QCommandLineOption name(
        QStringLiteral("name"), QStringLiteral("Sender's name."), QStringLiteral("N"));
    const QCommandLineOption subject(
        QStringLiteral("subject"), QStringLiteral("Subject."), QStringLiteral("S"));
    const QCommandLineOption kind(QStringLiteral("kind"), QStringLiteral("bug, feature, new_app or general."),
        QStringLiteral("KIND"), QStringLiteral("bug"));
    const QCommandLineOption language(QStringLiteral("language"), QStringLiteral("Language code."),
        QStringLiteral("CODE"), QStringLiteral("en"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QStringLiteral("An image to attach."), QStringLiteral("FILE"));
    parser.addOptions(
        { submit, baseURL, email, message, appName, name, subject, kind, language, screenshot });
    parser.addOptions({ { QStringLiteral("window"), QStringLiteral("Show the composer in a window.") },
        { QStringLiteral("no-close"), QStringLiteral("Present the composer without a close action.") },
        { QStringLiteral("pick"), QStringLiteral("A file for the composer's pick step."),
            QStringLiteral("FILE") },
        { QStringLiteral("paste-sample"), QStringLiteral("Paste a generated image.") },
        { QStringLiteral("fill"), QStringLiteral("Type sample text into the form.") },
        { QStringLiteral("send"), QStringLiteral("Press send once shown.") },
        { QStringLiteral("grab"), QStringLiteral("Save the window as a picture and quit."),
            QStringLiteral("FILE") },
        { QStringLiteral("after"), QStringLiteral("Milliseconds before the grab."), QStringLiteral("MS"),
            QStringLiteral("300") } });
    parser.process(*app);
    if (parser.isSet(QStringLiteral("window")))
        return runComposerWindow(parser);
    if (!parser.isSet(submit)) {
        std::fprintf(stderr, "nothing to do: give --submit or --window\n");
        return 2;
    }
    const auto feedbackKind = ZunoFeedbackKinds::fromRawValue(parser.value(kind));
    const auto feedbackLanguage = ZunoLanguages::fromRawValue(parser.value(language));
    if (!feedbackKind || !feedbackLanguage) {
        std::fprintf(stderr, "unknown kind or language\n");
        return 2;
    }

    QList<ZunoFeedbackScreenshot> screenshots;
    for (const QString &path : parser.values(screenshot)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 2;
        }
        screenshots.append({ QUuid::createUuid(), QFileInfo(path).fileName(),
            QMimeDatabase().mimeTypeForFile(path).name(), file.readAll() });
    }

    try {
        const ZunoFeedbackReceipt receipt = ZunoFeedbackService::submit(parser.value(appName),
            ZunoAppVersion::current(), *feedbackKind, parser.value(email), parser.value(name),
            parser.value(subject), parser.value(message), screenshots, *feedbackLanguage,
            parser.isSet(baseURL) ? std::optional<QString>(parser.value(baseURL)) : std::nullopt);
        std::printf("reference: %s, attachments: %d, message: %s\n", qPrintable(receipt.referenceCode),
            receipt.attachmentsCount, qPrintable(receipt.message));
        return 0;
    } catch (const ZunoFeedbackError &error) {
        std::printf("error: %s\n", qPrintable(error.description()));
        return 1;
    }
}
