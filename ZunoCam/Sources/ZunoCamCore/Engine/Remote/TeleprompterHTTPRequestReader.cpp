#include "TeleprompterHTTPRequestReader.h"

#include "TeleprompterRemoteProtocol.h"

#include <algorithm>

TeleprompterHTTPRequestReader::Progress TeleprompterHTTPRequestReader::append(QByteArrayView chunk)
{
    m_bytes.append(chunk);
    if (m_bytes.size() > TeleprompterRemoteProtocol::maxRequestBytes)
        return Progress::tooLarge;
    findHeaderEnd();
    if (m_headerEnd < 0)
        return Progress::head;
    return m_bytes.size() - m_bodyStart >= m_bodyLength ? Progress::complete : Progress::body;
}

void TeleprompterHTTPRequestReader::findHeaderEnd()
{
    // A "\r\n\r\n" anywhere wins over an earlier "\n\n", so the search for it goes on until found.
    if (m_searchFrom < 0)
        return;
    const qsizetype size = m_bytes.size();
    qsizetype at = m_bytes.indexOf("\r\n\r\n", m_searchFrom);
    const qsizetype crlfScanned = (at >= 0 ? at + 4 : size) - m_searchFrom;
    m_examined += std::max<qsizetype>(crlfScanned, 0);
    if (at >= 0) {
        m_searchFrom = -1;
        m_headerEnd = at;
        m_bodyStart = at + 4;
    } else {
        // The pattern may straddle this chunk and the next.
        m_searchFrom = std::max<qsizetype>(size - 3, 0);
        if (m_lfEnd < 0) {
            const qsizetype lf = m_bytes.indexOf("\n\n", m_lfSearchFrom);
            m_examined += std::max<qsizetype>((lf >= 0 ? lf + 2 : size) - m_lfSearchFrom, 0);
            if (lf < 0) {
                m_lfSearchFrom = std::max<qsizetype>(size - 1, 0);
                return;
            }
            m_lfEnd = lf;
            m_headerEnd = lf;
            m_bodyStart = lf + 2;
        } else {
            return; // the "\n\n" end stands, its length already read
        }
    }
    m_examined += m_headerEnd;
    m_bodyLength
        = TeleprompterRemoteProtocol::announcedBodyLength(QByteArrayView(m_bytes).first(m_headerEnd));
}
