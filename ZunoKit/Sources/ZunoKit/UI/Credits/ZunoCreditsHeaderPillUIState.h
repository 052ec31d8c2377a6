#pragma once

#include "ZunoLanguageAwareUIState.h"

// The header pill's state: whether its wallet popover is open, and the language revision.
class ZunoCreditsHeaderPillUIState : public ZunoLanguageAwareUIState {
    Q_OBJECT
public:
    using ZunoLanguageAwareUIState::ZunoLanguageAwareUIState;

    bool isPopoverPresented() const { return m_isPopoverPresented; }
    void setPopoverPresented(bool presented)
    {
        if (presented == m_isPopoverPresented)
            return;
        m_isPopoverPresented = presented;
        emit popoverPresentedChanged(presented);
    }

signals:
    void popoverPresentedChanged(bool presented);

private:
    bool m_isPopoverPresented = false;
};
