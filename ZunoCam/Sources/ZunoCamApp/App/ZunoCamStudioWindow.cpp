#include "ZunoCamStudioWindow.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

ZunoCamStudioWindow::ZunoCamStudioWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("studio"));
    setWindowTitle(QStringLiteral("ZunoCam"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDefaultWidth, kDefaultHeight);
}

void ZunoCamStudioWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(rect().topLeft(), rect().bottomRight());
    ground.setColorAt(0, QColor(0x1b, 0x1f, 0x2e));
    ground.setColorAt(1, QColor(0x0c, 0x0e, 0x16));
    p.fillRect(rect(), ground);

    QFont title(QStringLiteral("Inter"));
    title.setPixelSize(34);
    title.setWeight(QFont::DemiBold);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255, 235));
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("ZunoCam"));
}
