#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>

// Points HOME and XDG_* at a fresh temporary folder for its lifetime, so no test touches the real
// user's files; the previous values come back on destruction.
class ZunoTestHome {
public:
    ZunoTestHome();
    ~ZunoTestHome();
    ZunoTestHome(const ZunoTestHome &) = delete;
    ZunoTestHome &operator=(const ZunoTestHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
    std::map<QByteArray, std::pair<bool, QByteArray>> m_saved;
};
