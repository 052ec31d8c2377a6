#include "ZunoAgentBrowserBridgeError.h"

ZunoAgentBrowserBridgeError::ZunoAgentBrowserBridgeError(int code, const QString &description)
    : m_code(code)
    , m_description(description)
    , m_what(description.toStdString())
{
}
