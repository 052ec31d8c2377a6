#include "ZunoSystemLog.h"

#include <syslog.h>
#include <systemd/sd-journal.h>

#include <mutex>

namespace {

class ZunoJournalLog final : public ZunoSystemLog {
public:
    void write(const QString &subsystem, const QString &category, Type type, const QString &message) override
    {
        const QByteArray identifier = subsystem.toUtf8();
        const QByteArray categoryText = category.toUtf8();
        const QByteArray text = message.toUtf8();
        // Sent as one datagram to journald; without a journal the call fails quietly.
        sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%d", priority(type), "SYSLOG_IDENTIFIER=%s",
            identifier.constData(), "ZUNO_CATEGORY=%s", categoryText.constData(), nullptr);
    }

private:
    static int priority(Type type)
    {
        switch (type) {
        case Type::debug:
            return LOG_DEBUG;
        case Type::info:
            return LOG_INFO;
        case Type::error:
            return LOG_ERR;
        }
        return LOG_INFO;
    }
};

std::mutex &sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<ZunoSystemLog> &sharedLog()
{
    static std::shared_ptr<ZunoSystemLog> log = std::make_shared<ZunoJournalLog>();
    return log;
}

} // namespace

std::shared_ptr<ZunoSystemLog> ZunoSystemLog::shared()
{
    std::lock_guard lock(sharedMutex());
    return sharedLog();
}

std::shared_ptr<ZunoSystemLog> ZunoSystemLog::replaceShared(std::shared_ptr<ZunoSystemLog> log)
{
    std::lock_guard lock(sharedMutex());
    if (!log)
        log = std::make_shared<ZunoJournalLog>();
    sharedLog().swap(log);
    return log;
}
