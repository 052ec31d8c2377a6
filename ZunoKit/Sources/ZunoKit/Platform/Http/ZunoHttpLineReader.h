#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <optional>

// Turns a body that arrives in chunks into text lines. Lines end at LF, CR LF or a lone CR, even where a
// separator or a UTF-8 sequence is split between chunks; empty lines are kept. Invalid UTF-8 becomes
// U+FFFD. A line over `kMaxLineBytes` throws `ZunoHttpError` badServerResponse: a server cannot make us
// buffer without bound.
class ZunoHttpLineReader {
public:
    static constexpr qsizetype kMaxLineBytes = 1024 * 1024;

    // The lines that `bytes` completes.
    QStringList feed(QByteArrayView bytes);
    // At the end of the body: the last line when it had no separator.
    std::optional<QString> finish();

private:
    void checkLength() const;

    QByteArray m_pending;
    bool m_afterCR = false;
};
