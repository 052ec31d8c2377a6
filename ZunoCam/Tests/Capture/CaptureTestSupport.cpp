#include "CaptureTestSupport.h"

#include <QProcess>

#include <algorithm>
#include <cstdlib>

bool runFFmpeg(const QStringList &arguments, QString *error)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-y"), QStringLiteral("-loglevel"), QStringLiteral("error") }
            + arguments);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(process.readAllStandardError()) + process.errorString();
        return false;
    }
    return true;
}

QString portraitFixturePath()
{
    return QStringLiteral(ZUNO_TEST_DATA "/imaging/astronaut.png");
}

int maxChannelDifference(const CameraPixelBuffer &a, const CameraPixelBuffer &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *pa = a.constScanLine(y);
        const auto *pb = b.constScanLine(y);
        for (int x = 0; x < a.width() * a.bytesPerPixel(); ++x)
            worst = std::max(worst, std::abs(int(pa[x]) - int(pb[x])));
    }
    return worst;
}
