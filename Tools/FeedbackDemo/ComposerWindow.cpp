#include "ComposerWindow.h"

#include "ZunoAppVersion.h"
#include "ZunoFeedbackSheet.h"
#include "ZunoFonts.h"
#include "ZunoGroundBackground.h"
#include "ZunoSheetHost.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>

namespace {

// A sample screenshot: a gradient with a few bars, so the thumbnail shows something.
QImage sampleImage()
{
    QImage image(640, 400, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 640, 400);
    gradient.setColorAt(0, QColor(0x2b, 0x5d, 0x9e));
    gradient.setColorAt(1, QColor(0xd9, 0x5d, 0x4f));
    painter.fillRect(image.rect(), gradient);
    painter.fillRect(40, 40, 300, 30, Qt::white);
    painter.fillRect(40, 90, 200, 20, QColor(255, 255, 255, 160));
    return image;
}

} // namespace

int runComposerWindow(const QCommandLineParser &parser)
{
    ZunoFonts::applyApplicationFont();
    const auto language
        = ZunoLanguages::fromRawValue(parser.value(QStringLiteral("language"))).value_or(ZunoLanguage::en);
    const bool closable = !parser.isSet(QStringLiteral("no-close"));
    const std::optional<QString> baseURL = parser.isSet(QStringLiteral("base-url"))
        ? std::optional<QString>(parser.value(QStringLiteral("base-url")))
        : std::nullopt;

    ZunoGroundBackground window(ZunoProductPalette::deepCoral);
    window.setWindowTitle(QStringLiteral("FeedbackDemo"));
    window.resize(900, 1000);
    window.show();

    ZunoSheetHost *host = nullptr;
    auto *sheet = new ZunoFeedbackSheet(parser.value(QStringLiteral("app")), ZunoAppVersion::current(),
        ZunoProductPalette::deepCoral, language, baseURL,
        closable ? std::function<void()>([&host] { host->dismiss(); }) : std::function<void()>());
    host = ZunoSheetHost::present(
        &window, sheet, QSize(ZunoFeedbackSheet::kMinimumWidth, ZunoFeedbackSheet::kMinimumHeight));
    // Without a close action the host keeps Escape too: the page has no way out but the window's.
    host->setDismissesOnEscape(closable);
    QObject::connect(host, &ZunoSheetHost::dismissed, &window,
        [] { QTimer::singleShot(300, qApp, &QCoreApplication::quit); });

    if (parser.isSet(QStringLiteral("fill"))) {
        const auto type = [](QLineEdit *field, const QString &text) {
            field->setText(text);
            emit field->textEdited(text);
        };
        type(sheet->emailField(), QStringLiteral("ada@example.org"));
        type(sheet->nameField(), QStringLiteral("Ada"));
        type(sheet->subjectField(), QStringLiteral("Preview freezes"));
        sheet->messageEditor()->setPlainText(
            QStringLiteral("The live preview freezes after about a minute of recording."));
    }
    const QStringList picks = parser.values(QStringLiteral("pick"));
    if (!picks.isEmpty())
        sheet->addPickedFiles(picks);
    if (parser.isSet(QStringLiteral("paste-sample"))) {
        QGuiApplication::clipboard()->setImage(sampleImage());
        sheet->pasteFromClipboard();
    }
    if (parser.isSet(QStringLiteral("send")))
        sheet->submitFeedback();

    if (parser.isSet(QStringLiteral("grab"))) {
        const QString path = parser.value(QStringLiteral("grab"));
        const int after = parser.value(QStringLiteral("after")).toInt();
        QTimer::singleShot(std::max(after, 300), &window, [&window, path] {
            const bool saved = window.grab().save(path);
            std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
