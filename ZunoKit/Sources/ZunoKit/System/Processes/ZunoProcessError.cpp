#include "ZunoProcessError.h"

#include "ZunoText.h"

ZunoProcessError::ZunoProcessError(
    Kind kind, const QString &name, std::int32_t code, const QString &stderrText)
    : m_kind(kind)
    , m_name(name)
    , m_code(code)
    , m_stderr(stderrText)
{
    m_what = localizedDescription().toStdString();
}

ZunoProcessError ZunoProcessError::binaryNotFound(const QString &name)
{
    return ZunoProcessError(Kind::binaryNotFound, name, 0, {});
}

ZunoProcessError ZunoProcessError::nonZeroExit(std::int32_t code, const QString &stderrText)
{
    return ZunoProcessError(Kind::nonZeroExit, {}, code, stderrText);
}

ZunoProcessError ZunoProcessError::cancelled()
{
    return ZunoProcessError(Kind::cancelled, {}, 0, {});
}

QString ZunoProcessError::localizedDescription() const
{
    switch (m_kind) {
    case Kind::binaryNotFound:
        return zunoText(QStringLiteral("Required executable '") + m_name + QStringLiteral("' was not found."),
            QStringLiteral("Gerekli '") + m_name + QStringLiteral("' aracı bulunamadı."));
    case Kind::nonZeroExit: {
        const QString trimmed = m_stderr.trimmed();
        if (!trimmed.isEmpty())
            return trimmed;
        return QStringLiteral("Process exited with code ") + QString::number(m_code) + QLatin1Char('.');
    }
    case Kind::cancelled:
        return zunoText(QStringLiteral("Operation cancelled."), QStringLiteral("İşlem iptal edildi."));
    }
    return {};
}
