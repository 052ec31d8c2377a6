// Two recorder errors are equal only when every field is: a table of pairs that differ in one field.
#include "CameraRecorderError.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(CameraRecorderError, EqualOnlyWhenEveryFieldIs)
{
    const auto failed = [](const char *message, int systemError, const char *keptFile, bool indexWritten) {
        return CameraRecorderError::writerFailed(
            QString::fromUtf8(message), systemError, QString::fromUtf8(keptFile), indexWritten);
    };
    EXPECT_EQ(failed("disk", ENOSPC, "/v/a.mp4", true), failed("disk", ENOSPC, "/v/a.mp4", true));
    EXPECT_EQ(CameraRecorderError::notRecording(), CameraRecorderError::notRecording());

    struct Case {
        const char *field;
        CameraRecorderError one;
        CameraRecorderError other;
    };
    const Case cases[] = {
        { "case", CameraRecorderError::writerFailed(QStringLiteral("disk")),
            CameraRecorderError::writerSetupFailed(QStringLiteral("disk")) },
        { "case without a message", CameraRecorderError::notRecording(),
            CameraRecorderError::noFramesCaptured() },
        { "message", failed("disk", ENOSPC, "/v/a.mp4", true), failed("disk!", ENOSPC, "/v/a.mp4", true) },
        { "systemError", failed("disk", ENOSPC, "/v/a.mp4", true), failed("disk", EFBIG, "/v/a.mp4", true) },
        { "keptFile", failed("disk", ENOSPC, "/v/a.mp4", true), failed("disk", ENOSPC, "/v/b.mp4", true) },
        { "indexWritten", failed("disk", ENOSPC, "/v/a.mp4", true),
            failed("disk", ENOSPC, "/v/a.mp4", false) },
    };
    for (const Case &c : cases) {
        EXPECT_FALSE(c.one == c.other) << "differs only in " << c.field;
        EXPECT_FALSE(c.other == c.one) << "differs only in " << c.field;
    }
}
