#pragma once

#include "ZunoDesktopServices.h"
#include "ZunoSystemLog.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>

// Captures what the logger mirrors to the system log while installed.
class ZunoCapturedSystemLog final : public ZunoSystemLog {
public:
    struct Record {
        QString subsystem;
        QString category;
        Type type;
        QString message;
    };

    void write(const QString &subsystem, const QString &category, Type type, const QString &message) override
    {
        std::lock_guard lock(m_mutex);
        m_records.append({ subsystem, category, type, message });
    }

    QList<Record> records() const
    {
        std::lock_guard lock(m_mutex);
        return m_records;
    }

private:
    mutable std::mutex m_mutex;
    QList<Record> m_records;
};

// Records what would have been shown in the file manager instead of opening anything.
class ZunoRecordingDesktop final : public ZunoDesktopServices {
public:
    void revealFile(const QString &path) override { revealed.append(path); }
    void openUrl(const QUrl &url) override { opened.append(url); }

    QStringList revealed;
    QList<QUrl> opened;
};

// Installs a replacement for the process's shared service for one test.
template <typename Service, typename Fake> class ZunoInstalled {
public:
    ZunoInstalled()
        : fake(std::make_shared<Fake>())
        , m_previous(Service::replaceShared(fake))
    {
    }
    ~ZunoInstalled() { Service::replaceShared(m_previous); }
    ZunoInstalled(const ZunoInstalled &) = delete;
    ZunoInstalled &operator=(const ZunoInstalled &) = delete;

    std::shared_ptr<Fake> fake;

private:
    std::shared_ptr<Service> m_previous;
};

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
