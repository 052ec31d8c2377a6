#include "ZunoChecksum.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

QString digest(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

TEST(ZunoChecksum, WholeFileDigest)
{
    QTemporaryDir dir;
    EXPECT_EQ(ZunoChecksum::sha256(writeFile(dir, "empty", {}), 4096),
        "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    QByteArray content;
    for (int i = 0; i < 100000; ++i)
        content.append(char(i * 31));
    const QString path = writeFile(dir, "data", content);
    for (std::int64_t chunk : { 1, 7, 4096, 1 << 20, 0, -5 })
        EXPECT_EQ(ZunoChecksum::sha256(path, chunk), digest(content)) << chunk;
}

TEST(ZunoChecksum, PartialFingerprint)
{
    QTemporaryDir dir;
    EXPECT_EQ(ZunoChecksum::partialFingerprint(writeFile(dir, "empty", {}), 16), digest(QByteArray(8, '\0')));

    QByteArray a(100, 'x');
    QByteArray b = a;
    b[50] = 'y'; // middle differs
    const QString pa = writeFile(dir, "a", a);
    EXPECT_EQ(ZunoChecksum::partialFingerprint(pa, 16),
        ZunoChecksum::partialFingerprint(writeFile(dir, "b", b), 16));

    // Size (little-endian), the head, then the tail.
    QByteArray expected;
    for (int i = 0; i < 8; ++i)
        expected.append(char(i == 0 ? 100 : 0));
    expected += a.left(16) + a.right(16);
    EXPECT_EQ(ZunoChecksum::partialFingerprint(pa, 16), digest(expected));

    // A sample at least the size reads the head only.
    QByteArray small("hello");
    QByteArray expectedSmall(8, '\0');
    expectedSmall[0] = 5;
    EXPECT_EQ(ZunoChecksum::partialFingerprint(writeFile(dir, "s", small), 5), digest(expectedSmall + small));
    // Overlapping samples enter the digest twice.
    EXPECT_EQ(ZunoChecksum::partialFingerprint(writeFile(dir, "s2", small), 4),
        digest(expectedSmall + small.left(4) + small.right(4)));
}

TEST(ZunoChecksum, FileErrorsPropagate)
{
    QTemporaryDir dir;
    EXPECT_THROW(ZunoChecksum::sha256(dir.filePath("missing"), 16), ZunoFileError);
    EXPECT_THROW(ZunoChecksum::partialFingerprint(dir.filePath("missing"), 16), ZunoFileError);
    try {
        ZunoChecksum::sha256(dir.filePath("missing"), 16);
    } catch (const ZunoFileError &e) {
        EXPECT_EQ(e.code().value(), ENOENT);
    }
}
