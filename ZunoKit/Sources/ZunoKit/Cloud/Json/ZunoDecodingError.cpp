#include "ZunoDecodingError.h"

#include "ZunoText.h"

QString ZunoDecodingError::errorDescription(std::optional<ZunoLanguage> language) const
{
    return zunoText(QStringLiteral("The data couldn't be read because it isn't in the correct format."),
        QStringLiteral("Veriler doğru biçimde olmadığı için okunamadı."), std::nullopt, language);
}
