#include "ZunoCodeSignatureStatus.h"

QString ZunoCodeSignatureStatus::requirementSummary() const
{
    switch (m_kind) {
    case Kind::stableCertificate:
    case Kind::adHocCDHash:
        return m_requirement;
    case Kind::unsignedCode:
        return QStringLiteral("unsigned");
    case Kind::unknown:
        break;
    }
    return QStringLiteral("unknown");
}
