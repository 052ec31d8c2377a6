// Sends one piece of feedback through ZunoFeedbackService::submit, the way the composer does, and
// prints "reference: CODE, attachments: N, message: TEXT" (exit 0) or "error: DESCRIPTION" (exit 1).
//
//   FeedbackDemo --submit --base-url URL --email E --message M [--app NAME] [--name N] [--subject S]
//                [--kind bug|feature|new_app|general] [--language tr] [--screenshot FILE]...

#include "ZunoAppVersion.h"
#include "ZunoFeedbackService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUuid>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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
    parser.process(app);
    if (!parser.isSet(submit)) {
        std::fprintf(stderr, "nothing to do: give --submit\n");
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
