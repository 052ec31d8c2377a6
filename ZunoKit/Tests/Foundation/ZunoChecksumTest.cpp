#include "ZunoChecksum.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

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

// Lengths far beyond the file cost a file-sized read, not an allocation of the length; samples
// larger than one read buffer still enter the digest whole.
TEST(ZunoChecksum, HugeLengthsReadOnlyWhatTheFileHas)
{
    QTemporaryDir dir;
    constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
    const QByteArray small("hello");
    const QString smallPath = writeFile(dir, "small", small);
    QByteArray smallSize(8, '\0');
    smallSize[0] = 5;
    EXPECT_EQ(ZunoChecksum::sha256(smallPath, kHuge), digest(small));
    EXPECT_EQ(ZunoChecksum::sha256(smallPath, std::int64_t(1) << 40), digest(small));
    EXPECT_EQ(ZunoChecksum::partialFingerprint(smallPath, kHuge), digest(smallSize + small));

    QByteArray large;
    for (int i = 0; i < 3 * 1024 * 1024 + 5; ++i)
        large.append(char(i * 7 + i / 4096));
    const QString largePath = writeFile(dir, "large", large);
    QByteArray largeSize(8, '\0');
    for (int i = 0; i < 8; ++i)
        largeSize[i] = char((std::uint64_t(large.size()) >> (8 * i)) & 0xff);
    const int sample = 2 * 1024 * 1024 + 3;
    EXPECT_EQ(ZunoChecksum::partialFingerprint(largePath, sample),
        digest(largeSize + large.left(sample) + large.right(sample)));
    EXPECT_EQ(ZunoChecksum::sha256(largePath, kHuge), digest(large));
}

TEST(ZunoChecksum, FileErrorsPropagate)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing");
    EXPECT_THROW(ZunoChecksum::partialFingerprint(missing, 16), ZunoFileError);
    EXPECT_THROW(
        {
            try {
                ZunoChecksum::sha256(missing, 16);
            } catch (const ZunoFileError &e) {
                EXPECT_EQ(e.code().value(), ENOENT);
                EXPECT_EQ(e.path(), missing);
                throw;
            }
        },
        ZunoFileError);
}
