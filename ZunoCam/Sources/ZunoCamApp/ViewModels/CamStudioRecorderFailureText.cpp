#include "CamStudioRecorderFailureText.h"

#include "CameraRecorderError.h"
#include "CameraRecordingResult.h"
#include "ZunoText.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace CamStudioRecorderFailureText {

QString systemReason(int systemError, ZunoLanguage language)
{
    const auto text = [language](const char *en, const char *tr) {
        return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
    };
    switch (systemError) {
    case ENOSPC:
    case EDQUOT:
        return text("the disk is full", "disk dolu");
    case EFBIG:
        return text("the file reached the largest size allowed", "dosya izin verilen en büyük boyuta ulaştı");
    case EACCES:
    case EPERM:
        return text("permission was denied", "izin verilmedi");
    case EROFS:
        return text("the disk is read-only", "disk salt okunur");
    case ENOTDIR:
    case EEXIST:
        return text("a file is in the way", "yolda aynı adlı bir dosya var");
    case EIO:
        return text("the disk reported an error", "disk bir hata bildirdi");
    default:
        return QString::fromLocal8Bit(std::strerror(systemError));
    }
}

QString folderNotCreated(const QString &folder, const std::error_code &error, ZunoLanguage language)
{
    const QString reason
        = error.category() == std::generic_category() || error.category() == std::system_category()
        ? systemReason(error.value(), language)
        : QString::fromStdString(error.message());
    return zunoText(QStringLiteral("Could not create the recordings folder %1: %2."),
        QStringLiteral("Kayıt klasörü oluşturulamadı (%1): %2."), language)
        .arg(folder, reason);
}

QString recordingFailed(const CameraRecorderError &error, ZunoLanguage language)
{
    if (error.errorCase() != CameraRecorderError::Case::writerFailed)
        return error.localizedDescription();
    const QString reason
        = error.systemError() != 0 ? systemReason(error.systemError(), language) : error.message();
    const QString file = QFileInfo(error.keptFile()).fileName();
    if (file.isEmpty())
        return zunoText(QStringLiteral("The recording failed: %1. Nothing was recorded."),
            QStringLiteral("Kayıt başarısız oldu: %1. Hiçbir şey kaydedilmedi."), language)
            .arg(reason);
    if (!error.indexWritten())
        return zunoText(QStringLiteral("The recording failed: %1. What was recorded until then is kept in "
                                       "%2, but the file may not play."),
            QStringLiteral("Kayıt başarısız oldu: %1. O ana kadar kaydedilenler %2 dosyasında saklandı, "
                           "ancak dosya oynatılamayabilir."),
            language)
            .arg(reason, file);
    return zunoText(QStringLiteral("The recording failed: %1. What was recorded until then is kept in %2."),
        QStringLiteral("Kayıt başarısız oldu: %1. O ana kadar kaydedilenler %2 dosyasında saklandı."),
        language)
        .arg(reason, file);
}

QString recordingSaved(const CameraRecordingResult &result, ZunoLanguage language)
{
    const QString saved
        = zunoText(QStringLiteral("Saved MP4: %1"), QStringLiteral("Video kaydedildi: %1"), language)
              .arg(QFileInfo(result.url).fileName());
    switch (result.ending) {
    case CameraRecordingResult::Ending::requested:
        return saved;
    case CameraRecordingResult::Ending::diskNearlyFull:
        return zunoText(QStringLiteral("The recording was stopped because the disk is nearly full. %1"),
            QStringLiteral("Disk neredeyse dolu olduğu için kayıt durduruldu. %1"), language)
            .arg(saved);
    case CameraRecordingResult::Ending::fileSizeLimit:
        return zunoText(
            QStringLiteral("The recording was stopped because the file reached its size limit. %1"),
            QStringLiteral("Dosya boyut sınırına ulaştığı için kayıt durduruldu. %1"), language)
            .arg(saved);
    }
    return saved;
}

} // namespace CamStudioRecorderFailureText
