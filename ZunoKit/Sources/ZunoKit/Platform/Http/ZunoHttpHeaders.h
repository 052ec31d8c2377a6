#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

// Response header fields in the order the server sent them. A field the server repeats keeps the place of
// its first occurrence, its values joined with ", ". Names are kept as sent and compared without regard
// to letter case.
class ZunoHttpHeaders {
public:
    using Field = std::pair<QByteArray, QByteArray>;

    // Adds a field, joining it onto an earlier one of the same name.
    void add(const QByteArray &name, const QByteArray &value);
    // The value of `name` (any letter case); empty when absent.
    QByteArray value(const QByteArray &name) const;
    bool contains(const QByteArray &name) const;
    const std::vector<Field> &fields() const { return m_fields; }
    bool isEmpty() const { return m_fields.empty(); }
    void clear() { m_fields.clear(); }

private:
    std::vector<Field> m_fields;
};
