#include "ZunoAIUnifiedSettingsUIState.h"

ZunoAIUnifiedSettingsUIState::ZunoAIUnifiedSettingsUIState(QObject *parent)
    : ZunoLanguageAwareUIState(parent)
{
}
