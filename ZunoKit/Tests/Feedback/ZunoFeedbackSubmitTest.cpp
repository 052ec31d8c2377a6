#include "ZunoFeedbackService.h"

#include "ZunoFakeHttpServer.h"
#include "ZunoScopedEnvironment.h"

#include <QRegularExpression>
#include <QUuid>

#include <gtest/gtest.h>

#include <functional>

using Reply = ZunoFakeHttpServer::Reply;

namespace {

const ZunoAppVersion kVersion { QStringLiteral("1.4.2"), QStringLiteral("100") };
const QString kEmail = QStringLiteral("ada@example.org");
const QString kMessage = QStringLiteral("The preview freezes after a minute.");

ZunoFeedbackScreenshot screenshot(const QString &filename, const QByteArray &data)
{
    return { QUuid::createUuid(), filename, QStringLiteral("image/png"), data };
}

struct Submission {
    QString appName = QStringLiteral("ZunoCam");
    ZunoFeedbackKind kind = ZunoFeedbackKind::bug;
    QString email = kEmail;
    QString senderName;
    QString subject = QStringLiteral("Frozen preview");
    QString message = kMessage;
    QList<ZunoFeedbackScreenshot> screenshots;
    ZunoLanguage language = ZunoLanguage::en;
    std::optional<QString> baseURL;
    std::shared_ptr<ZunoHttpSession> session = ZunoHttpSession::shared();

    ZunoFeedbackReceipt submit() const
    {
        return ZunoFeedbackService::submit(appName, kVersion, kind, email, senderName, subject, message,
            screenshots, language, baseURL, session);
    }
};

// The error a submission throws; fails the test when it succeeds.
ZunoFeedbackError failure(const Submission &submission)
{
    try {
        submission.submit();
    } catch (const ZunoFeedbackError &error) {
        return error;
    }
    ADD_FAILURE() << "the submission succeeded";
    return ZunoFeedbackError::invalidEndpoint();
}

// The form's fields (not its files) as name -> value, in order, from a body built with `boundary`.
std::vector<std::pair<QByteArray, QByteArray>> formParts(const QByteArray &body, const QByteArray &boundary)
{
    std::vector<std::pair<QByteArray, QByteArray>> parts;
    const QByteArray delimiter = "--" + boundary;
    QList<QByteArray> pieces;
    for (qsizetype at = body.indexOf(delimiter); at >= 0;) {
        const qsizetype next = body.indexOf(delimiter, at + delimiter.size());
        pieces.append(body.mid(at + delimiter.size(), next < 0 ? -1 : next - at - delimiter.size()));
        at = next;
    }
    for (QByteArray part : pieces) {
        if (!part.startsWith("\r\nContent-Disposition: form-data; name=\"") || part.contains("filename=\""))
            continue;
        part = part.mid(QByteArray("\r\nContent-Disposition: form-data; name=\"").size());
        const QByteArray name = part.left(part.indexOf('"'));
        const qsizetype start = part.indexOf("\r\n\r\n") + 4;
        parts.emplace_back(name, part.mid(start, part.size() - start - 2));
    }
    return parts;
}

// Forwards to the real session with the request's time-out shortened, remembering the one asked for.
class ShortTimeoutSession final : public ZunoHttpSession {
public:
    ZunoHttpResponse send(const ZunoHttpRequest &request, std::stop_token stop) override
    {
        requestedTimeout = request.timeout;
        ZunoHttpRequest shortened = request;
        shortened.timeout = std::chrono::milliseconds(300);
        return ZunoHttpSession::send(shortened, stop);
    }
    std::chrono::milliseconds requestedTimeout { 0 };
};

} // namespace

TEST(ZunoFeedbackMultipart, BuildsTheExactForm)
{
    const QByteArray body = ZunoFeedbackService::buildMultipartBody(QStringLiteral("B"),
        { { QStringLiteral("type"), QStringLiteral("bug") }, { QStringLiteral("sender_name"), QString() },
            { QStringLiteral("message"), QStringLiteral("çalışmıyor") } },
        { screenshot(QStringLiteral("a \"b\"\r\nc.png"), QByteArray("\x89PNG\0\r\n", 7)),
            { QUuid::createUuid(), QStringLiteral("two.jpg"), QStringLiteral("image/jpeg"), "JJ" } });
    EXPECT_EQ(body,
        QByteArray("--B\r\nContent-Disposition: form-data; name=\"type\"\r\n\r\nbug\r\n"
                   "--B\r\nContent-Disposition: form-data; name=\"message\"\r\n\r\n")
            + QStringLiteral("çalışmıyor").toUtf8()
            + QByteArray(
                "\r\n--B\r\nContent-Disposition: form-data; name=\"screenshots[]\"; filename=\"a bc.png\"\r\n"
                "Content-Type: image/png\r\n\r\n")
            + QByteArray("\x89PNG\0\r\n", 7)
            + QByteArray(
                "\r\n--B\r\nContent-Disposition: form-data; name=\"screenshots[]\"; filename=\"two.jpg\"\r\n"
                "Content-Type: image/jpeg\r\n\r\nJJ\r\n--B--\r\n"));
}

TEST(ZunoFeedbackSubmit, ValidationFailsInOrderBeforeAnyTraffic)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/api/v1/feedback", Reply::text(201, "{}"));
    const QString base = QString::fromLatin1(server.url(""));
    ZunoScopedEnvironment environment(ZunoFeedbackService::kBaseURLEnvironmentVariable, QByteArray());

    const QList<ZunoFeedbackScreenshot> six(
        6, screenshot(QStringLiteral("big.png"), QByteArray(6 << 20, 'x')));
    const struct {
        const char *name;
        std::function<void(Submission &)> change;
        std::optional<ZunoFeedbackError> expected;
    } cases[] = {
        { "e-mail of 4 characters", [](Submission &s) { s.email = QStringLiteral(" a@.b "); },
            ZunoFeedbackError::invalidEmail() },
        { "e-mail of 5 characters", [](Submission &s) { s.email = QStringLiteral("a@b.c"); }, std::nullopt },
        { "long e-mail without a dot", [](Submission &s) { s.email = QStringLiteral("someone@localhost"); },
            ZunoFeedbackError::invalidEmail() },
        { "message of 9 characters", [](Submission &s) { s.message = QStringLiteral("  1234567🇹🇷8 \n"); },
            ZunoFeedbackError::messageTooShort() },
        { "message of 10 characters", [](Submission &s) { s.message = QStringLiteral("12345678🇹🇷9"); },
            std::nullopt },
        { "six screenshots, before sizes", [&six](Submission &s) { s.screenshots = six; },
            ZunoFeedbackError::tooManyScreenshots(5) },
        { "exactly 5 MiB",
            [](Submission &s) {
                s.screenshots = { screenshot(QStringLiteral("a.png"), QByteArray(5 << 20, 'x')) };
            },
            std::nullopt },
        { "one byte more",
            [](Submission &s) {
                s.screenshots = { screenshot(QStringLiteral("a.png"), QByteArray((5 << 20) + 1, 'x')) };
            },
            ZunoFeedbackError::screenshotTooLarge(5) },
        { "blank endpoint", [](Submission &s) { s.baseURL = QStringLiteral("/ / /"); },
            ZunoFeedbackError::invalidEndpoint() },
        { "ftp endpoint", [](Submission &s) { s.baseURL = QStringLiteral("ftp://127.0.0.1"); },
            ZunoFeedbackError::invalidEndpoint() },
        { "endpoint without host", [](Submission &s) { s.baseURL = QStringLiteral("http://"); },
            ZunoFeedbackError::invalidEndpoint() },
        { "invalid e-mail comes first",
            [](Submission &s) {
                s.email = QStringLiteral("x");
                s.message = QStringLiteral("short");
                s.baseURL = QStringLiteral("ftp://x");
            },
            ZunoFeedbackError::invalidEmail() },
    };
    std::size_t sent = 0;
    for (const auto &c : cases) {
        Submission submission;
        submission.baseURL = base;
        c.change(submission);
        if (c.expected) {
            EXPECT_EQ(failure(submission), *c.expected) << c.name;
        } else {
            EXPECT_NO_THROW(submission.submit()) << c.name;
            ++sent;
        }
        EXPECT_EQ(server.requests().size(), sent) << c.name << ": refused input sends nothing";
    }
}

TEST(ZunoFeedbackSubmit, PostsTheFormWithItsHeadersAndFields)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/api/v1/feedback", Reply::text(201, R"({"reference_code":"FB-1"})"));
    Submission submission;
    submission.baseURL = QString::fromLatin1(server.url("/"));
    submission.kind = ZunoFeedbackKind::newApp;
    submission.subject = QStringLiteral(" ok ");
    submission.language = ZunoLanguage::tr;
    submission.email = QStringLiteral("  ada@example.org\n");
    submission.screenshots = { screenshot(QStringLiteral("one.png"), "PNGDATA") };
    ASSERT_EQ(submission.submit().referenceCode, QStringLiteral("FB-1"));

    ASSERT_EQ(server.requests().size(), 1u);
    const ZunoFakeHttpServer::Request request = server.requests().front();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/api/v1/feedback");
    EXPECT_EQ(request.header("Accept"), "application/json");
    EXPECT_EQ(request.header("User-Agent"), "Quarnwell/ZunoCam ZunoKit");
    const QByteArray contentType = request.header("Content-Type").value_or("");
    const QRegularExpression form(QStringLiteral(
        "^multipart/form-data; "
        "boundary=(ZunoFeedback-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})$"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(contentType));
    ASSERT_TRUE(match.hasMatch()) << contentType.toStdString();
    const QByteArray boundary = match.captured(1).toLatin1();

    const std::vector<std::pair<QByteArray, QByteArray>> expected {
        { "type", "new_app" },
        { "program_slug", "new_app" },
        { "program_name", "ZunoCam" },
        { "email", "ada@example.org" },
        { "subject", QStringLiteral("ZunoCam — Yeni Program Fikri").toUtf8() },
        { "message", kMessage.toUtf8() },
        { "app_version", "1.4.2" },
        { "os_info", ZunoFeedbackService::currentOSDescription().toUtf8() },
        { "locale", "tr" },
        { "source", "desktop_app" },
    };
    EXPECT_EQ(formParts(request.body, boundary), expected) << "no sender_name when it is empty";
    EXPECT_TRUE(request.body.endsWith("--" + boundary
        + "\r\nContent-Disposition: form-data; name=\"screenshots[]\"; filename=\"one.png\"\r\n"
          "Content-Type: image/png\r\n\r\nPNGDATA\r\n--"
        + boundary + "--\r\n"));

    // A three-letter subject and a plain kind are kept; the English title otherwise.
    submission.kind = ZunoFeedbackKind::bug;
    submission.subject = QStringLiteral("Bug");
    submission.senderName = QStringLiteral(" Ada ");
    submission.submit();
    submission.subject = QString();
    submission.language = ZunoLanguage::en;
    submission.submit();
    ASSERT_EQ(server.requests().size(), 3u);
    const auto second = formParts(server.requests()[1].body,
        server.requests()[1]
            .header("Content-Type")
            ->mid(QByteArray("multipart/form-data; boundary=").size()));
    EXPECT_EQ(second[1], std::make_pair(QByteArray("program_slug"), QByteArray("zunocam")));
    EXPECT_EQ(second[4], std::make_pair(QByteArray("sender_name"), QByteArray("Ada")));
    EXPECT_EQ(second[5], std::make_pair(QByteArray("subject"), QByteArray("Bug")));
    const auto third = formParts(server.requests()[2].body,
        server.requests()[2]
            .header("Content-Type")
            ->mid(QByteArray("multipart/form-data; boundary=").size()));
    EXPECT_EQ(
        third[5], std::make_pair(QByteArray("subject"), QStringLiteral("ZunoCam — Bug Report").toUtf8()));
}

TEST(ZunoFeedbackSubmit, RepliesBecomeReceiptsOrErrors)
{
    const QString thanksEn = QStringLiteral("Thank you! Your feedback has been received.");
    const QString thanksTr = QStringLiteral("Teşekkürler! Geri bildiriminiz bize ulaştı.");
    const struct {
        const char *name;
        Reply reply;
        ZunoLanguage language;
        std::optional<ZunoFeedbackReceipt> receipt;
        std::optional<QString> rejection;
    } cases[] = {
        { "201 with JSON",
            Reply::text(201, R"({"reference_code":"FB-42","attachments_count":7,"message":"Got it"})"),
            ZunoLanguage::en, ZunoFeedbackReceipt { "FB-42", 7, "Got it" }, {} },
        { "201 empty", Reply::text(201, ""), ZunoLanguage::en,
            ZunoFeedbackReceipt { "ZUNO-FB-OK", 2, thanksEn }, {} },
        { "201 empty, Turkish", Reply::text(201, ""), ZunoLanguage::tr,
            ZunoFeedbackReceipt { "ZUNO-FB-OK", 2, thanksTr }, {} },
        { "200 with wrong types",
            Reply::text(200, R"({"reference_code":5,"attachments_count":"3","message":null})"),
            ZunoLanguage::en, ZunoFeedbackReceipt { "ZUNO-FB-OK", 2, thanksEn }, {} },
        { "200 with a fraction", Reply::text(200, R"({"attachments_count":1.5})"), ZunoLanguage::en,
            ZunoFeedbackReceipt { "ZUNO-FB-OK", 2, thanksEn }, {} },
        { "200 with an array", Reply::text(200, R"(["FB"])"), ZunoLanguage::en,
            ZunoFeedbackReceipt { "ZUNO-FB-OK", 2, thanksEn }, {} },
        { "500 with a message", Reply::text(500, R"({"message":"Spam filter said no"})"), ZunoLanguage::en,
            {}, QStringLiteral("Spam filter said no") },
        { "500 empty", Reply::text(500, ""), ZunoLanguage::en, {}, QStringLiteral("HTTP 500") },
        { "500 not JSON", Reply::text(500, "<html>oops</html>"), ZunoLanguage::en, {},
            QStringLiteral("HTTP 500") },
        { "500 empty message", Reply::text(500, R"({"message":""})"), ZunoLanguage::en, {},
            QStringLiteral("HTTP 500") },
        { "302 is not followed", Reply::redirect(302, "/elsewhere"), ZunoLanguage::en, {},
            QStringLiteral("HTTP 302") },
    };
    for (const auto &c : cases) {
        ZunoFakeHttpServer server;
        server.route("POST", "/api/v1/feedback", c.reply);
        server.route("POST", "/elsewhere", Reply::text(201, "{}"));
        Submission submission;
        submission.baseURL = QString::fromLatin1(server.url(""));
        submission.language = c.language;
        submission.screenshots
            = { screenshot(QStringLiteral("1.png"), "1"), screenshot(QStringLiteral("2.png"), "2") };
        if (c.receipt) {
            EXPECT_EQ(submission.submit(), *c.receipt) << c.name;
        } else {
            EXPECT_EQ(failure(submission), ZunoFeedbackError::serverRejected(*c.rejection)) << c.name;
        }
    }
}

TEST(ZunoFeedbackSubmit, TransportFailuresNameTheServerContacted)
{
    const auto networkFailure = [](const Submission &submission) {
        const ZunoFeedbackError error = failure(submission);
        EXPECT_EQ(error.errorCase(), ZunoFeedbackError::Case::networkFailure);
        return error;
    };

    for (const Reply &reply : { Reply::closeWithoutAnswer(), Reply::rawBytes("SPEAK FRIEND\r\n\r\n") }) {
        ZunoFakeHttpServer server;
        server.route("POST", "/api/v1/feedback", reply);
        Submission submission;
        submission.baseURL = QString::fromLatin1(server.url(""));
        const ZunoFeedbackError error = networkFailure(submission);
        EXPECT_EQ(error.host(), QStringLiteral("127.0.0.1:%1").arg(server.port()));
        EXPECT_TRUE(error.description(ZunoLanguage::en)
                        .startsWith(QStringLiteral("Could not reach 127.0.0.1:%1 (").arg(server.port())));
        if (reply.behaviour == Reply::Behaviour::raw) {
            EXPECT_TRUE(
                error.description(ZunoLanguage::en).contains(QStringLiteral("(Invalid HTTP response)")));
        }
    }

    // A refused connection.
    QString closed;
    quint16 closedPort = 0;
    {
        ZunoFakeHttpServer server;
        closed = QString::fromLatin1(server.url(""));
        closedPort = server.port();
    }
    Submission refused;
    refused.baseURL = closed;
    EXPECT_EQ(networkFailure(refused).host(), QStringLiteral("127.0.0.1:%1").arg(closedPort));

    // A server that never answers: the 25 s time-out, shortened on the way to the real session.
    ZunoFakeHttpServer silent;
    silent.route("POST", "/api/v1/feedback", Reply::hold());
    auto session = std::make_shared<ShortTimeoutSession>();
    Submission waiting;
    waiting.baseURL = QString::fromLatin1(silent.url(""));
    waiting.session = session;
    networkFailure(waiting);
    EXPECT_EQ(session->requestedTimeout, std::chrono::seconds(25));
}

TEST(ZunoFeedbackError, DescriptionsFollowTheCurrentLanguage)
{
    const ZunoFeedbackError failure
        = ZunoFeedbackError::networkFailure(QStringLiteral("example.org:8443"), "x");
    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    EXPECT_EQ(failure.description(),
        QStringLiteral("example.org:8443 adresine ulaşılamadı (x). Dilerseniz tarayıcıdan göndermeyi "
                       "deneyebilirsiniz."));
    EXPECT_EQ(ZunoFeedbackError::screenshotTooLarge(5).description(),
        QStringLiteral("Her ekran görüntüsü en fazla 5 MB olabilir."));
    ZunoLanguages::setCurrent(ZunoLanguage::en);
    EXPECT_EQ(failure.description(),
        QStringLiteral(
            "Could not reach example.org:8443 (x). You can open the feedback page in your browser instead."));
    EXPECT_EQ(ZunoFeedbackError::tooManyScreenshots(5).description(),
        QStringLiteral("You can attach up to 5 screenshots."));
    EXPECT_EQ(
        ZunoFeedbackError::serverRejected(QStringLiteral("Nein")).description(), QStringLiteral("Nein"));
    ZunoLanguages::setFollowSystem();
}
