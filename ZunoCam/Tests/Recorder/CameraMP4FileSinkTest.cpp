#include "CameraMP4FileSink.h"
#include "CameraMP4BoxReader.h"
#include "CameraMP4Writer.h"
#include "RecorderTestSupport.h"
#include "ZunoWaitUntil.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" {
#include <libavformat/avio.h>
}

#include <gtest/gtest.h>

namespace {

// What a muxer writes for a fragmented movie: its file type box, then the bytes of a recording the
// writer left unfinished from its movie box on (the fragments' offsets count from each fragment).
// Also the muxer offsets of the recording's fragment boxes.
QByteArray muxerOutput(const QString &dir, std::vector<std::size_t> *fragmentStarts)
{
    const QString path = dir + "/source.mp4";
    SyntheticFrames frames(320, 240);
    {
        CameraMP4Writer writer(path, CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 0 });
        for (int i = 0; i < 75; ++i) {
            EXPECT_TRUE(waitUntil([&] { return writer.isReadyForMoreMediaData(); }, 20'000, "a free buffer"));
            EXPECT_TRUE(writer.append(frames.frame(i, i / 30.0)));
        }
        EXPECT_TRUE(waitUntil(
            [&] { return topLevelBoxes(path).count("moof") >= 2; }, 20'000, "two fragments in the file"));
        writer.cancel();
    }
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    const QByteArray fileType("\0\0\0\x14"
                              "ftypiso5\0\0\x02\0iso5",
        20);
    const QByteArray output = fileType + written.mid(56);
    const CameraMP4BoxReader reader(
        reinterpret_cast<const std::uint8_t *>(output.constData()), output.size());
    std::size_t at = 0;
    while (const auto box = reader.boxAt(at, output.size())) {
        if (box->type == CameraMP4BoxReader::code("moof"))
            fragmentStarts->push_back(at);
        at = box->end();
    }
    return output;
}

} // namespace

// Bytes cut off in the middle of a fragment (the process killed while it was being written) leave
// a file that ends in boxes players skip: every whole fragment plays, nothing after it is promised.
TEST(CameraMP4FileSink, FragmentCutMidwayIsHiddenFromPlayers)
{
    QTemporaryDir dir;
    std::vector<std::size_t> fragments;
    const QByteArray output = muxerOutput(dir.path(), &fragments);
    ASSERT_GE(fragments.size(), 2u);
    const int firstFragmentFrames = 30;

    const QString path = dir.filePath("cut.mp4");
    {
        CameraMP4FileSink sink;
        ASSERT_EQ(sink.open(QFile::encodeName(path)), 0);
        // In small pieces, so that the second fragment's header is split between two writes.
        const std::size_t cut = fragments[1] + 2000;
        for (std::size_t at = 0; at < cut; at += 5) {
            avio_write(sink.io(), reinterpret_cast<const unsigned char *>(output.constData()) + at,
                int(std::min<std::size_t>(5, cut - at)));
            avio_flush(sink.io());
        }
        EXPECT_EQ(sink.error(), 0);
        EXPECT_EQ(sink.fragments().samples().size(), std::size_t(firstFragmentFrames));
        // Left as a kill leaves it: no finish.
    }

    const QStringList boxes = topLevelBoxes(path);
    EXPECT_EQ(boxes.join(' ').toStdString(), "ftyp free moov moof mdat free mdat (cut)");
    int errors = -1;
    EXPECT_EQ(decodedPictureTimes(path, &errors).size(), std::size_t(firstFragmentFrames));
    EXPECT_EQ(errors, 0);
}
