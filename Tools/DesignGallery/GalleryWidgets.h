#pragma once

#include "ZunoDesktopWindowPreferences.h"
#include "ZunoLanguage.h"

#include <QColor>
#include <QFont>
#include <QSize>
#include <QWidget>

#include <memory>

class QLabel;
class ZunoAppLogger;
class ZunoVersionBadgeButton;

namespace Gallery {

QLabel *text(const QString &string, const QFont &font, const QColor &color);

// The top of a studio window in one language, on the studio's ground: its own window controls, the
// header bar with the brand mark, name, version badge button and language button. Taller than the
// header bar, it stands for the whole window (a sheet covers it).
class HeaderPreview : public QWidget {
public:
    HeaderPreview(ZunoLanguage language, const ZunoWindowButtonLayout &controls, QSize size = QSize(960, 52),
        std::shared_ptr<ZunoAppLogger> logger = nullptr);

    ZunoVersionBadgeButton *badge() const { return m_badge; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ZunoVersionBadgeButton *m_badge;
};

} // namespace Gallery
