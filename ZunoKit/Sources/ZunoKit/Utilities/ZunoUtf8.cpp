#include "ZunoUtf8.h"

#include <QStringDecoder>

bool ZunoUtf8::isValid(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}
