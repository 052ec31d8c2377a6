#include "ZunoVisionError.h"

ZunoVisionError::ZunoVisionError(const QString &domain, int code, const QString &localizedDescription)
    : std::runtime_error(localizedDescription.toStdString())
    , m_domain(domain)
    , m_code(code)
    , m_description(localizedDescription)
{
}
