#include "CamStudioRecorderFailureText.h"

#include "CameraRecorderError.h"
#include "ZunoText.h"

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
    if (error.fileRemoved())
        return zunoText(
            QStringLiteral("The recording failed: %1. The unfinished file could not be played and "
                           "was removed."),
            QStringLiteral("Kayıt başarısız oldu: %1. Oynatılamayan yarım dosya silindi."), language)
            .arg(reason);
    return zunoText(QStringLiteral("The recording failed: %1. What was recorded until then is kept."),
        QStringLiteral("Kayıt başarısız oldu: %1. O ana kadar kaydedilenler saklandı."), language)
        .arg(reason);
}

} // namespace CamStudioRecorderFailureText
