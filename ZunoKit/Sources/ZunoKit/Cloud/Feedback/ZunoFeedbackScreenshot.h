#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>

// One image attached to a piece of feedback.
struct ZunoFeedbackScreenshot {
    QUuid id;
    QString filename;
    QString mimeType;
    QByteArray data;

    // The size of `data` as a file size ("1.2 MB").
    QString formattedSize() const;

    friend bool operator==(const ZunoFeedbackScreenshot &, const ZunoFeedbackScreenshot &) = default;
};
