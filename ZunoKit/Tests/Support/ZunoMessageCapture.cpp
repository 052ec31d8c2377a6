#include "ZunoMessageCapture.h"

namespace {

ZunoMessageCapture *g_current = nullptr;

} // namespace

ZunoMessageCapture::ZunoMessageCapture()
{
    g_current = this;
    m_previous = qInstallMessageHandler(&ZunoMessageCapture::handle);
}

ZunoMessageCapture::~ZunoMessageCapture()
{
    qInstallMessageHandler(m_previous);
    g_current = nullptr;
}

QStringList ZunoMessageCapture::messages(QtMsgType type) const
{
    std::lock_guard lock(m_mutex);
    QStringList result;
    for (const auto &[messageType, text] : m_messages) {
        if (messageType == type)
            result.append(text);
    }
    return result;
}

void ZunoMessageCapture::handle(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (!g_current)
        return;
    std::lock_guard lock(g_current->m_mutex);
    g_current->m_messages.append({ type, message });
}
