#include "ZunoFeedbackSheet.h"

#include "DesignProbe.h"
#include "ZunoBrandMark.h"
#include "ZunoButton.h"
#include "ZunoFakeHttpServer.h"
#include "ZunoFeedbackError.h"
#include "ZunoFeedbackService.h"
#include "ZunoHttpSession.h"
#include "ZunoSheetHost.h"
#include "ZunoWaitUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using Reply = ZunoFakeHttpServer::Reply;

namespace {

const ZunoAppVersion kVersion { QStringLiteral("1.4.2"), QStringLiteral("100") };
const QString kTooMany = QStringLiteral("You can attach up to 5 screenshots.");
const QString kTooLarge = QStringLiteral("Each screenshot must be smaller than 5 MB.");
constexpr qint64 kLimit = 5 * 1024 * 1024;

std::unique_ptr<ZunoFeedbackSheet> makeSheet(
    ZunoLanguage language = ZunoLanguage::en, std::optional<QString> baseURL = std::nullopt,
    std::function<void()> onClose = [] {}, const QString &appName = QStringLiteral("ZunoCam"))
{
    auto sheet = std::make_unique<ZunoFeedbackSheet>(
        appName, kVersion, ZunoProductPalette::deepCoral, language, baseURL, std::move(onClose));
    sheet->resize(640, 900);
    sheet->show();
    return sheet;
}

// Files in a temporary folder.
struct Files {
    QTemporaryDir dir;
    QString make(const QString &name, qint64 size, char fill = 'x') const
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(size, fill)) != size)
            ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }
};

void offerClipboard(const QString &format, const QByteArray &bytes)
{
    auto *mime = new QMimeData;
    mime->setData(format, bytes);
    QGuiApplication::clipboard()->setMimeData(mime);
}

void type(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

void fill(ZunoFeedbackSheet &sheet)
{
    type(sheet.emailField(), QStringLiteral("ada@example.org"));
    type(sheet.nameField(), QStringLiteral("Ada"));
    type(sheet.subjectField(), QStringLiteral("Frozen preview"));
    sheet.messageEditor()->setPlainText(QStringLiteral("The preview freezes after a minute."));
}

bool waitForIdle(ZunoFeedbackSheet &sheet)
{
    QSignalSpy finished(&sheet, &ZunoFeedbackSheet::submittingChanged);
    return !sheet.isSubmitting() || finished.wait(20000);
}

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

} // namespace

TEST(ZunoFeedbackSheet, FreshFaceIsAnEmptyFeatureForm)
{
    auto sheet = makeSheet();
    EXPECT_EQ(sheet->kind(), ZunoFeedbackKind::feature);
    for (ZunoFeedbackKind kind : ZunoFeedbackKinds::allCases())
        EXPECT_EQ(sheet->kindTile(kind)->isChecked(), kind == ZunoFeedbackKind::feature);
    EXPECT_EQ(sheet->kindTile(ZunoFeedbackKind::feature)->text(), QStringLiteral("Feature & Improvement"));
    for (QLineEdit *field : { sheet->emailField(), sheet->nameField(), sheet->subjectField() })
        EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(sheet->messageEditor()->toPlainText().isEmpty());
    EXPECT_FALSE(sheet->hintLabel()->isVisible());
    EXPECT_FALSE(sheet->errorRow()->isVisible());
    EXPECT_TRUE(sheet->thumbnailStrip()->findChildren<QWidget *>(QStringLiteral("thumbnail")).isEmpty());
    EXPECT_TRUE(sheet->composerForm()->isVisible());
    EXPECT_FALSE(sheet->receiptCard()->isVisible());
    EXPECT_TRUE(sheet->sendButton()->isEnabled());
    EXPECT_FALSE(sheet->sendButton()->isBusy());
    EXPECT_EQ(sheet->sendButton()->text(), QStringLiteral("Send Feedback"));
    EXPECT_EQ(sheet->emailField()->placeholderText(), QStringLiteral("you@example.com"));

    click(sheet->kindTile(ZunoFeedbackKind::bug));
    EXPECT_EQ(sheet->kind(), ZunoFeedbackKind::bug);
    EXPECT_TRUE(sheet->kindTile(ZunoFeedbackKind::bug)->isChecked());
    EXPECT_FALSE(sheet->kindTile(ZunoFeedbackKind::feature)->isChecked());
}

TEST(ZunoFeedbackSheet, PasteChecksTheCountAndTheSize)
{
    Files files;
    auto sheet = makeSheet(ZunoLanguage::tr);
    QGuiApplication::clipboard()->setText(QStringLiteral("no image"));
    click(sheet->pasteButton());
    EXPECT_EQ(sheet->statusHint(),
        QStringLiteral("Panoda görsel bulunamadı. Önce ekran görüntüsü alıp ardından "
                       "Panodan Yapıştır'a tıklayın."));
    EXPECT_TRUE(sheet->hintLabel()->isVisible());
    EXPECT_FALSE(sheet->errorMessage().has_value());

    offerClipboard(QStringLiteral("image/png"), QByteArray(kLimit, 'p'));
    click(sheet->pasteButton());
    ASSERT_EQ(sheet->screenshots().size(), 1) << "exactly 5 MiB is accepted";
    EXPECT_EQ(sheet->statusHint(), QStringLiteral("Panodaki ekran görüntüsü eklendi."));

    offerClipboard(QStringLiteral("image/png"), QByteArray(kLimit + 1, 'p'));
    click(sheet->pasteButton());
    EXPECT_EQ(sheet->screenshots().size(), 1);
    EXPECT_EQ(sheet->errorMessage(), kTooLarge) << "errors follow the interface language, not the sheet's";
    EXPECT_EQ(sheet->statusHint(), QStringLiteral("Panodaki ekran görüntüsü eklendi.")) << "hint unchanged";

    sheet->addPickedFiles(
        { files.make("1.png", 3), files.make("2.png", 3), files.make("3.png", 3), files.make("4.png", 3) });
    ASSERT_EQ(sheet->screenshots().size(), 5);
    offerClipboard(QStringLiteral("image/png"), "small");
    click(sheet->pasteButton());
    EXPECT_EQ(sheet->screenshots().size(), 5);
    EXPECT_EQ(sheet->errorMessage(), kTooMany);
    EXPECT_EQ(sheet->statusHint(), QStringLiteral("Panodaki ekran görüntüsü eklendi."));
}

TEST(ZunoFeedbackSheet, PickStopsWhenFullAndRefusesLargeFilesUnread)
{
    Files files;
    auto sheet = makeSheet();
    sheet->addPickedFiles(
        { files.make("1.png", 3), files.make("2.png", 3), files.make("3.png", 3), files.make("4.png", 3) });
    ASSERT_EQ(sheet->screenshots().size(), 4);
    // Through the file chooser, as the button does.
    sheet->setFileChooser([&files] {
        return QStringList { files.make("fifth.png", 3), files.make("sixth.png", 3),
            files.make("big.png", kLimit + 1) };
    });
    click(sheet->chooseButton());
    ASSERT_EQ(sheet->screenshots().size(), 5);
    EXPECT_EQ(sheet->screenshots().last().filename, QStringLiteral("fifth.png"));
    EXPECT_EQ(sheet->errorMessage(), kTooMany) << "the loop stopped before the large file";
    EXPECT_EQ(sheet->thumbnailStrip()->findChildren<QWidget *>(QStringLiteral("thumbnail")).size(), 5);

    // A sparse 2 GiB file and a pipe: neither is read (reading either would exhaust memory or block).
    auto fresh = makeSheet();
    const QString huge = files.dir.filePath("huge.png");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(2) << 30));
    }
    const QString pipe = files.dir.filePath("pipe.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    fresh->addPickedFiles({ pipe, huge, files.make("ok.png", kLimit) });
    ASSERT_EQ(fresh->screenshots().size(), 1) << "exactly 5 MiB is accepted";
    EXPECT_EQ(fresh->screenshots().first().data.size(), kLimit);
    EXPECT_EQ(fresh->errorMessage(), kTooLarge);
}

TEST(ZunoFeedbackSheet, PickedFilesTakeTheirTypeFromTheExtension)
{
    Files files;
    const std::pair<const char *, const char *> cases[] = {
        { "shot.JPG", "image/jpeg" },
        { "shot.jpeg", "image/jpeg" },
        { "shot.webp", "image/webp" },
        { "shot.gif", "image/gif" },
        { "shot.PNG", "image/png" },
        { "shot", "image/png" },
    };
    auto sheet = makeSheet();
    for (const auto &[name, mime] : cases) {
        sheet->addPickedFiles({ files.make(QString::fromLatin1(name), 4) });
        ASSERT_EQ(sheet->screenshots().size(), 1);
        EXPECT_EQ(sheet->screenshots().first().mimeType, QString::fromLatin1(mime)) << name;
        EXPECT_EQ(sheet->screenshots().first().filename, QString::fromLatin1(name));
        sheet->removeScreenshot(sheet->screenshots().first().id);
    }
}

TEST(ZunoFeedbackSheet, UnreadableAndEmptyFilesAreSkippedSilently)
{
    Files files;
    auto sheet = makeSheet();
    sheet->addPickedFiles({ files.make("big.png", kLimit + 1) });
    ASSERT_EQ(sheet->errorMessage(), kTooLarge);
    // Root can read any file: one removed after it was chosen stands for an unreadable one.
    const QString gone = files.make("gone.png", 10);
    ASSERT_TRUE(QFile::remove(gone));
    sheet->addPickedFiles({ gone, files.make("empty.png", 0), files.dir.path() });
    EXPECT_TRUE(sheet->screenshots().isEmpty());
    EXPECT_FALSE(sheet->errorMessage().has_value()) << "an earlier error is cleared";
}

TEST(ZunoFeedbackSheet, RemoveKeepsOrderAndHint)
{
    Files files;
    auto sheet = makeSheet();
    sheet->addPickedFiles({ files.make("a.png", 3), files.make("b.png", 3) });
    offerClipboard(QStringLiteral("image/png"), "pasted");
    sheet->pasteFromClipboard();
    ASSERT_EQ(sheet->screenshots().size(), 3);
    const auto removes
        = sheet->thumbnailStrip()->findChildren<QAbstractButton *>(QStringLiteral("removeScreenshot"));
    ASSERT_EQ(removes.size(), 3);
    click(removes[1]);
    ASSERT_EQ(sheet->screenshots().size(), 2);
    EXPECT_EQ(sheet->screenshots()[0].filename, QStringLiteral("a.png"));
    EXPECT_TRUE(sheet->screenshots()[1].filename.startsWith(QStringLiteral("clipboard-")));
    EXPECT_EQ(sheet->statusHint(), QStringLiteral("Screenshot pasted from clipboard."));
}

TEST(ZunoFeedbackSheet, SendRunsOnAWorkerWithTheValuesOfThePress)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/api/v1/feedback",
        Reply::text(201, R"({"reference_code":"FB-9","message":"<b>x</b>"})")
            .delayed(std::chrono::milliseconds(600)));
    auto sheet = makeSheet(ZunoLanguage::en, QString::fromLatin1(server.url("")));
    fill(*sheet);
    click(sheet->sendButton());
    ASSERT_TRUE(sheet->isSubmitting());
    EXPECT_FALSE(sheet->sendButton()->isEnabled());
    EXPECT_TRUE(sheet->sendButton()->isBusy());
    EXPECT_EQ(sheet->sendButton()->text(), QStringLiteral("Sending…"));

    // Everything else works meanwhile, and changes nothing in flight.
    click(sheet->kindTile(ZunoFeedbackKind::general));
    EXPECT_EQ(sheet->kind(), ZunoFeedbackKind::general);
    sheet->messageEditor()->setPlainText(QStringLiteral("Edited while sending, never sent."));
    EXPECT_TRUE(sheet->pasteButton()->isEnabled());

    ASSERT_TRUE(waitForIdle(*sheet));
    ASSERT_EQ(server.requests().size(), 1u);
    const QByteArray body = server.requests().front().body;
    EXPECT_TRUE(body.contains("The preview freezes after a minute."));
    EXPECT_FALSE(body.contains("Edited while sending"));
    EXPECT_TRUE(body.contains("\r\n\r\nfeature\r\n")) << "the kind of the press";

    EXPECT_TRUE(sheet->receiptCard()->isVisible());
    EXPECT_FALSE(sheet->composerForm()->isVisible());
    EXPECT_EQ(sheet->receipt()->referenceCode, QStringLiteral("FB-9"));
    const auto *message = sheet->receiptCard()->findChild<QLabel *>(QStringLiteral("receiptMessage"));
    EXPECT_EQ(message->text(), QStringLiteral("<b>x</b>"));
    EXPECT_EQ(message->textFormat(), Qt::PlainText) << "server text shows as written";
    EXPECT_EQ(sheet->receiptCard()->findChild<QLabel *>(QStringLiteral("receiptReference"))->text(),
        QStringLiteral("Reference: FB-9"));
    EXPECT_FALSE(sheet->receiptCard()->findChild<QLabel *>(QStringLiteral("receiptAttachments"))->isVisible())
        << "no camera for 0 attachments";
    EXPECT_TRUE(sheet->sendButton()->isEnabled());
}

TEST(ZunoFeedbackSheet, FailureKeepsTheFormAndSendAnotherResetsPartOfIt)
{
    Files files;
    ZunoFakeHttpServer server;
    server.route("POST", "/api/v1/feedback", Reply::text(500, R"({"message":"<b>Slow down</b>"})"));
    auto sheet = makeSheet(ZunoLanguage::en, QString::fromLatin1(server.url("")));
    fill(*sheet);
    sheet->chooseKind(ZunoFeedbackKind::bug);
    sheet->addPickedFiles({ files.make("a.png", 3), files.make("b.png", 3) });
    offerClipboard(QStringLiteral("image/png"), "pasted");
    sheet->pasteFromClipboard();
    sheet->submitFeedback();
    ASSERT_TRUE(waitForIdle(*sheet));
    EXPECT_EQ(sheet->errorMessage(), QStringLiteral("<b>Slow down</b>"));
    EXPECT_TRUE(sheet->errorRow()->isVisible());
    EXPECT_EQ(sheet->errorLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(sheet->kind(), ZunoFeedbackKind::bug);
    EXPECT_EQ(sheet->email(), QStringLiteral("ada@example.org"));
    EXPECT_EQ(sheet->subject(), QStringLiteral("Frozen preview"));
    EXPECT_EQ(sheet->screenshots().size(), 3);
    EXPECT_FALSE(sheet->receipt().has_value());

    // Now the server takes it; the receipt counts the screenshots sent.
    ZunoFakeHttpServer accepting;
    accepting.route("POST", "/api/v1/feedback", Reply::text(201, ""));
    auto second = makeSheet(ZunoLanguage::en, QString::fromLatin1(accepting.url("")));
    fill(*second);
    second->chooseKind(ZunoFeedbackKind::bug);
    second->addPickedFiles({ files.make("a.png", 3) });
    offerClipboard(QStringLiteral("image/png"), "pasted");
    second->pasteFromClipboard();
    second->submitFeedback();
    ASSERT_TRUE(waitForIdle(*second));
    ASSERT_TRUE(second->receipt().has_value());
    const auto *attachments
        = second->receiptCard()->findChild<QLabel *>(QStringLiteral("receiptAttachments"));
    EXPECT_TRUE(attachments->isVisible());
    EXPECT_EQ(attachments->text(), QStringLiteral("📷 2"));

    click(second->sendAnotherButton());
    EXPECT_FALSE(second->receipt().has_value());
    EXPECT_TRUE(second->composerForm()->isVisible());
    EXPECT_TRUE(second->subject().isEmpty());
    EXPECT_TRUE(second->subjectField()->text().isEmpty());
    EXPECT_TRUE(second->messageEditor()->toPlainText().isEmpty());
    EXPECT_TRUE(second->screenshots().isEmpty());
    EXPECT_FALSE(second->errorMessage().has_value());
    EXPECT_EQ(second->kind(), ZunoFeedbackKind::bug);
    EXPECT_EQ(second->emailField()->text(), QStringLiteral("ada@example.org"));
    EXPECT_EQ(second->senderName(), QStringLiteral("Ada"));
    EXPECT_EQ(second->statusHint(), QStringLiteral("Screenshot pasted from clipboard."));
}

TEST(ZunoFeedbackSheet, ErrorsFollowTheInterfaceLanguageAndHintsTheSheets)
{
    auto sheet = makeSheet(ZunoLanguage::en, QStringLiteral("http://127.0.0.1:9"));
    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    sheet->submitFeedback();
    ASSERT_TRUE(waitForIdle(*sheet));
    EXPECT_EQ(sheet->errorMessage(), QStringLiteral("Lütfen geçerli bir e-posta adresi girin."));
    QGuiApplication::clipboard()->setText(QStringLiteral("text"));
    sheet->pasteFromClipboard();
    EXPECT_EQ(sheet->statusHint(),
        QStringLiteral(
            "No image found on the clipboard right now. Take a screenshot first, then click Paste."));
    ZunoLanguages::setFollowSystem();
}

TEST(ZunoFeedbackSheet, ClosingDuringASendStopsTheTransfer)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/api/v1/feedback", Reply::hold());
    auto sheet = makeSheet(ZunoLanguage::en, QString::fromLatin1(server.url("")));
    // A session of the test's own: the send holds it while under way.
    auto session = std::make_shared<ZunoHttpSession>();
    sheet->setHttpSession(session);
    fill(*sheet);
    sheet->submitFeedback();
    ASSERT_TRUE(server.waitForRequests(1));
    sheet.reset();
    // The client gives up long before the 25 s time-out, and the send's work ends and lets go of the
    // session; its result, posted afterwards, finds no sheet and reaches nothing.
    EXPECT_TRUE(server.waitForClientClose(0, std::chrono::seconds(10)));
    EXPECT_TRUE(waitUntil([&] { return session.use_count() == 1; }, 10000, "the send to let go of the session"));
    QCoreApplication::sendPostedEvents();
}

TEST(ZunoFeedbackSheet, WithoutCloseActionAndInOtherLanguages)
{
    int closes = 0;
    auto closable = makeSheet(ZunoLanguage::en, std::nullopt, [&closes] { ++closes; });
    ASSERT_NE(closable->closeButton(), nullptr);
    ASSERT_NE(closable->doneButton(), nullptr);
    QTest::keyClick(closable->emailField(), Qt::Key_Escape);
    click(closable->closeButton());
    EXPECT_EQ(closes, 2);

    auto bare = makeSheet(ZunoLanguage::en, std::nullopt, {}, QStringLiteral("NoSuchApp"));
    EXPECT_EQ(bare->closeButton(), nullptr);
    EXPECT_EQ(bare->doneButton(), nullptr);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(bare.get(), &escape);
    EXPECT_FALSE(escape.isAccepted()) << "no Escape of its own: the host decides";
    EXPECT_EQ(bare->brandMark()->style(), ZunoBrandMarkStyle::currentApp());

    for (ZunoLanguage language : { ZunoLanguage::ar, ZunoLanguage::fa, ZunoLanguage::he, ZunoLanguage::tr }) {
        auto sheet = makeSheet(language);
        EXPECT_EQ(sheet->layoutDirection(), language == ZunoLanguage::tr ? Qt::LeftToRight : Qt::RightToLeft);
    }
}

TEST(ZunoFeedbackSheet, AnUndecodableScreenshotShowsOnlyItsSizeAndRemoveButton)
{
    Files files;
    auto sheet = makeSheet();
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString real = files.dir.filePath("real.png");
    ASSERT_TRUE(image.save(real));
    sheet->addPickedFiles({ files.make("broken.png", 9), real });
    const auto tiles = sheet->thumbnailStrip()->findChildren<QWidget *>(QStringLiteral("thumbnail"));
    ASSERT_EQ(tiles.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(tiles[i]->findChild<QLabel *>(QStringLiteral("thumbnailSize")), nullptr);
        EXPECT_NE(tiles[i]->findChild<QAbstractButton *>(QStringLiteral("removeScreenshot")), nullptr);
    }
    EXPECT_LT(tiles[0]->sizeHint().height(), tiles[1]->sizeHint().height())
        << "no picture for undecodable data";
    EXPECT_EQ(tiles[0]->findChild<QLabel *>(QStringLiteral("thumbnailSize"))->text(), QStringLiteral("9 B"));
}

TEST(ZunoFeedbackSheet, TabReachesEveryControlWithTheRingAndLeavesTheMessage)
{
    auto sheet = makeSheet();
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    QList<QWidget *> wanted
        = { sheet->closeButton(), sheet->emailField(), sheet->nameField(), sheet->subjectField(),
              sheet->messageEditor(), sheet->pasteButton(), sheet->chooseButton(), sheet->sendButton() };
    for (ZunoFeedbackKind kind : ZunoFeedbackKinds::allCases())
        wanted.append(sheet->kindTile(kind));
    QList<QWidget *> reached;
    QStringList withoutRing;
    for (int press = 0; press < 60 && reached.size() < wanted.size(); ++press) {
        QWidget *from = QApplication::focusWidget() ? QApplication::focusWidget() : sheet.get();
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        if (!DesignProbe::showsFocusRing(focused))
            withoutRing.append(QString::fromLatin1(focused->metaObject()->className()));
        if (wanted.contains(focused) && !reached.contains(focused))
            reached.append(focused);
    }
    EXPECT_EQ(reached.size(), wanted.size());
    EXPECT_TRUE(withoutRing.isEmpty()) << withoutRing.join(QStringLiteral(", ")).toStdString();
    // Tab moved on from the message instead of typing into it.
    EXPECT_TRUE(sheet->messageEditor()->toPlainText().isEmpty());

    // Space on a kind tile chooses it.
    QAbstractButton *bug = sheet->kindTile(ZunoFeedbackKind::bug);
    bug->setFocus(Qt::TabFocusReason);
    QTest::keyClick(bug, Qt::Key_Space);
    EXPECT_EQ(sheet->kind(), ZunoFeedbackKind::bug);
}

TEST(ZunoFeedbackSheet, TheCardFollowsTheFormAndSendStaysInView)
{
    Files files;
    QStringList pictures;
    for (int i = 0; i < 6; ++i) {
        QImage picture(640, 400, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 50, 160, 200));
        const QString path = files.dir.filePath(QStringLiteral("shot-%1.png").arg(i));
        ASSERT_TRUE(picture.save(path));
        pictures << path;
    }
    QWidget window;
    window.resize(900, 1000);
    window.show();
    auto *sheet = new ZunoFeedbackSheet(QStringLiteral("ZunoCam"), kVersion, ZunoProductPalette::deepCoral,
        ZunoLanguage::en, std::nullopt, [] {});
    ZunoSheetHost *host = ZunoSheetHost::present(
        &window, sheet, QSize(ZunoFeedbackSheet::kMinimumWidth, ZunoFeedbackSheet::kMinimumHeight));
    QCoreApplication::processEvents();
    const int firstHeight = host->cardGeometry().height();

    const auto sendIsWhole = [&] {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QRect send(sheet->sendButton()->mapTo(host, QPoint()), sheet->sendButton()->size());
        return host->cardGeometry().contains(send)
            && sheet->sendButton()->visibleRegion().boundingRect() == sheet->sendButton()->rect();
    };
    EXPECT_TRUE(sendIsWhole());
    for (int i = 0; i < 5; ++i) {
        sheet->addPickedFiles({ pictures[i] });
        EXPECT_TRUE(sendIsWhole()) << "after screenshot " << i + 1;
    }
    sheet->addPickedFiles({ pictures[5] });
    ASSERT_EQ(sheet->errorMessage(), kTooMany);
    EXPECT_TRUE(sendIsWhole()) << "after the error";
    EXPECT_GT(host->cardGeometry().height(), firstHeight) << "the card grew with the form";
    EXPECT_LE(host->cardGeometry().bottom(), window.height() - ZunoSheetHost::kWindowMargin);

    // Where the window has no more room the form scrolls, and Send still shows whole.
    window.resize(900, 600);
    EXPECT_TRUE(sendIsWhole()) << "in a short window";
    EXPECT_LE(host->cardGeometry().height(), 600 - 2 * ZunoSheetHost::kWindowMargin);
    host->dismiss();
}

TEST(ZunoFeedbackSheet, TheDetailsEditorIsAtLeastItsMinimumAndMayGrow)
{
    auto sheet = makeSheet();
    QWidget *frame = sheet->messageEditor()->parentWidget();
    EXPECT_EQ(frame->minimumHeight(), 105);
    EXPECT_GT(frame->maximumHeight(), 105) << "not fixed";
    EXPECT_GE(frame->height(), 105);
}
