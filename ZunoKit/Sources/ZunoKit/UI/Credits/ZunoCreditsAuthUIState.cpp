#include "ZunoCreditsAuthUIState.h"

ZunoCreditsAuthUIState::ZunoCreditsAuthUIState(QObject *parent)
    : QObject(parent)
{
}

template <typename T> void ZunoCreditsAuthUIState::assign(T &field, const T &value)
{
    if (field == value)
        return;
    field = value;
    emit changed();
}

void ZunoCreditsAuthUIState::setShowOtherOptions(bool show)
{
    assign(m_showOtherOptions, show);
}

void ZunoCreditsAuthUIState::setShowManualToken(bool show)
{
    assign(m_showManualToken, show);
}

void ZunoCreditsAuthUIState::setManualTokenInput(const QString &text)
{
    assign(m_manualTokenInput, text);
}

void ZunoCreditsAuthUIState::setShowReconnectOptions(bool show)
{
    assign(m_showReconnectOptions, show);
}

void ZunoCreditsAuthUIState::setCopiedCode(bool copied)
{
    assign(m_copiedCode, copied);
}
