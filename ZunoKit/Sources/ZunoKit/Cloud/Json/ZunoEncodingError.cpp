#include "ZunoEncodingError.h"

#include "ZunoText.h"

QString ZunoEncodingError::errorDescription(std::optional<ZunoLanguage> language) const
{
    return zunoText(QStringLiteral("The data couldn't be written because it isn't in the correct format."),
        QStringLiteral("Veriler doğru biçimde olmadığı için yazılamadı."), std::nullopt, language);
}
