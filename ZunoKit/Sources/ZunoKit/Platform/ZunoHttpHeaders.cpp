#include "ZunoHttpHeaders.h"

void ZunoHttpHeaders::add(const QByteArray &name, const QByteArray &value)
{
    for (Field &field : m_fields) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0) {
            field.second += ", " + value;
            return;
        }
    }
    m_fields.emplace_back(name, value);
}

QByteArray ZunoHttpHeaders::value(const QByteArray &name) const
{
    for (const Field &field : m_fields) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return field.second;
    }
    return {};
}

bool ZunoHttpHeaders::contains(const QByteArray &name) const
{
    for (const Field &field : m_fields) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
