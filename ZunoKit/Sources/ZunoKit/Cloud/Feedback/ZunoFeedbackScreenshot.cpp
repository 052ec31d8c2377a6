#include "ZunoFeedbackScreenshot.h"

#include "ZunoByteFormatter.h"

QString ZunoFeedbackScreenshot::formattedSize() const
{
    return ZunoByteFormatter::format(data.size());
}
