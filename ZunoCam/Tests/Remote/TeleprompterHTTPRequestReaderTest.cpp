#include "TeleprompterHTTPRequestReader.h"
#include "TeleprompterRemoteProtocol.h"

#include <gtest/gtest.h>

using Progress = TeleprompterHTTPRequestReader::Progress;

TEST(TeleprompterHTTPRequestReader, AgreesWithTheWholeBufferCheckAtEverySplit)
{
    struct Case {
        const char *name;
        QByteArray request;
    };
    const Case cases[] = {
        { "get", "GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n" },
        { "bare newlines", "GET / HTTP/1.1\nHost: a\n\n" },
        { "body", "POST /api/command HTTP/1.1\r\nContent-Length: 9\r\n\r\ncommand=p" },
        { "last length wins", "POST / HTTP/1.1\r\nContent-Length: 2\r\ncontent-length: 5\r\n\r\nabcde" },
        { "bare newlines then a crlf end in the body",
            "POST / HTTP/1.1\nContent-Length: 30\n\nbody\r\n\r\nContent-Length: 2\r\n\r\nxy" },
        { "zero and negative lengths", "POST / HTTP/1.1\r\nContent-Length: -4\r\n\r\n" },
        { "unreadable length", "POST / HTTP/1.1\r\nContent-Length: 1e3\r\n\r\nabc" },
        { "head not utf-8", "POST / HTTP/1.1\r\nX: \xff\r\nContent-Length: 9\r\n\r\n" },
        { "no end yet", "GET / HTTP/1.1\r\nHost: a\r\n\r" },
    };
    for (const Case &c : cases) {
        for (qsizetype chunk : { 1, 2, 3, 5, 64 }) {
            SCOPED_TRACE(std::string(c.name) + ", chunks of " + std::to_string(chunk));
            TeleprompterHTTPRequestReader reader;
            for (qsizetype at = 0; at < c.request.size(); at += chunk) {
                const Progress progress = reader.append(
                    QByteArrayView(c.request).sliced(at, std::min(chunk, c.request.size() - at)));
                const bool complete = TeleprompterRemoteProtocol::isCompleteHTTPRequest(reader.bytes());
                ASSERT_EQ(progress == Progress::complete, complete) << "after " << reader.bytes().size();
                if (complete)
                    break;
                EXPECT_EQ(progress == Progress::body, reader.hasHead());
            }
        }
    }
}

TEST(TeleprompterHTTPRequestReader, ADrippedSixtyKilobyteHeadIsReadInLinearWork)
{
    QByteArray head = "GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    while (head.size() < 60 * 1024)
        head += "X-Filler: " + QByteArray(70, 'a') + "\r\n";
    head += "\r\n";
    ASSERT_LE(head.size(), TeleprompterRemoteProtocol::maxRequestBytes);
    for (qsizetype chunk : { 1, 3, 48 }) {
        SCOPED_TRACE(chunk);
        TeleprompterHTTPRequestReader reader;
        Progress progress = Progress::head;
        for (qsizetype at = 0; at < head.size(); at += chunk)
            progress = reader.append(QByteArrayView(head).sliced(at, std::min(chunk, head.size() - at)));
        EXPECT_EQ(progress, Progress::complete);
        // Searching each chunk with a few bytes of overlap and reading the head once: a small
        // multiple of its size, where reading it again per chunk would be thousands of times that.
        EXPECT_LE(reader.examinedBytes(), 8 * head.size());
    }

    TeleprompterHTTPRequestReader oversized;
    EXPECT_EQ(oversized.append(QByteArray(TeleprompterRemoteProtocol::maxRequestBytes, 'a')), Progress::head);
    EXPECT_EQ(oversized.append("a"), Progress::tooLarge);
}
