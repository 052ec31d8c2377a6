#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Collects one request's bytes as they arrive and tells when they hold a whole request, with the
// same verdict as TeleprompterRemoteProtocol::isCompleteHTTPRequest over everything received. Each
// byte is looked at once: the search for the header end resumes where it stopped, and the header
// block is read for its Content-Length only when its end is found (at most twice: a "\n\n" end may
// give way to a later "\r\n\r\n"). A slow client dripping a large head costs linear work, not
// quadratic. Not thread-safe; one per connection.
class TeleprompterHTTPRequestReader {
public:
    enum class Progress { head, body, complete, tooLarge };

    Progress append(QByteArrayView chunk);
    const QByteArray &bytes() const { return m_bytes; }
    // Whether the header block has ended (the request may still wait for its body).
    bool hasHead() const { return m_headerEnd >= 0; }
    // Bytes examined so far by the header-end search and by reading header blocks.
    qint64 examinedBytes() const { return m_examined; }

private:
    void findHeaderEnd();

    QByteArray m_bytes;
    qsizetype m_searchFrom = 0; // where the "\r\n\r\n" search resumes
    qsizetype m_lfSearchFrom = 0; // where the "\n\n" search resumes, until one is found
    qsizetype m_lfEnd = -1; // the first "\n\n", when no "\r\n\r\n" was found yet
    qsizetype m_headerEnd = -1;
    qsizetype m_bodyStart = -1;
    qint64 m_bodyLength = 0;
    qint64 m_examined = 0;
};
