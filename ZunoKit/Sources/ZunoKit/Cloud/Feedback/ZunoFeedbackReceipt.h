#pragma once

#include <QString>

// What the feedback server answered to a submission.
struct ZunoFeedbackReceipt {
    QString referenceCode;
    int attachmentsCount = 0;
    QString message;

    friend bool operator==(const ZunoFeedbackReceipt &, const ZunoFeedbackReceipt &) = default;
};
