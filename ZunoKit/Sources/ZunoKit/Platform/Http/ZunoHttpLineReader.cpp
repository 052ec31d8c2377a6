#include "ZunoHttpLineReader.h"

#include "ZunoHttpError.h"

QStringList ZunoHttpLineReader::feed(QByteArrayView bytes)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        // The LF of a CR LF whose CR ended the previous line.
        if (c == '\n' && m_afterCR && i == start && m_pending.isEmpty()) {
            m_afterCR = false;
            start = i + 1;
            continue;
        }
        m_pending.append(bytes.sliced(start, i - start));
        checkLength();
        lines.append(QString::fromUtf8(m_pending));
        m_pending.clear();
        m_afterCR = c == '\r';
        start = i + 1;
    }
    if (start < bytes.size()) {
        m_afterCR = false;
        m_pending.append(bytes.sliced(start));
        checkLength();
    }
    return lines;
}

std::optional<QString> ZunoHttpLineReader::finish()
{
    m_afterCR = false;
    if (m_pending.isEmpty())
        return std::nullopt;
    const QString line = QString::fromUtf8(m_pending);
    m_pending.clear();
    return line;
}

void ZunoHttpLineReader::checkLength() const
{
    if (m_pending.size() > kMaxLineBytes)
        throw ZunoHttpError(ZunoHttpError::Kind::badServerResponse, QStringLiteral("Line too long"));
}
