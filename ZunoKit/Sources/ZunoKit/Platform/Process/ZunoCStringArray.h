#pragma once

#include <QByteArray>
#include <QList>

#include <vector>

// Owns byte strings and the null-terminated pointer array that exec and spawn want (argv, envp).
class ZunoCStringArray {
public:
    explicit ZunoCStringArray(const QList<QByteArray> &items)
        : m_items(items)
    {
        for (QByteArray &item : m_items)
            m_pointers.push_back(item.data());
        m_pointers.push_back(nullptr);
    }
    ZunoCStringArray(const ZunoCStringArray &) = delete;
    ZunoCStringArray &operator=(const ZunoCStringArray &) = delete;

    char **data() { return m_pointers.data(); }

private:
    QList<QByteArray> m_items;
    std::vector<char *> m_pointers;
};
