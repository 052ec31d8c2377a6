#include "ZunoHttpHeaders.h"

#include <algorithm>

namespace {

auto findField(auto &fields, const QByteArray &name)
{
    return std::find_if(fields.begin(), fields.end(),
        [&name](const auto &field) { return field.first.compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace

void ZunoHttpHeaders::add(const QByteArray &name, const QByteArray &value)
{
    if (const auto found = findField(m_fields, name); found != m_fields.end())
        found->second += ", " + value;
    else
        m_fields.emplace_back(name, value);
}

QByteArray ZunoHttpHeaders::value(const QByteArray &name) const
{
    const auto found = findField(m_fields, name);
    return found != m_fields.end() ? found->second : QByteArray();
}

bool ZunoHttpHeaders::contains(const QByteArray &name) const
{
    return findField(m_fields, name) != m_fields.end();
}
