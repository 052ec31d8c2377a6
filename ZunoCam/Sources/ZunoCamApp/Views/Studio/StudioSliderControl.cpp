#include "StudioSliderControl.h"

#include "StudioTabPage.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassSwitch.h"
#include "ZunoGlassTokens.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <cmath>

StudioSliderControl::StudioSliderControl(
    double minimum, double maximum, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_title(new QLabel(this))
    , m_slider(new QSlider(Qt::Horizontal, this))
    , m_value(new QLabel(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_title->setFont(ZunoFonts::system(12));
    m_title->setStyleSheet(
        QStringLiteral("color: %1;").arg(studioCssColor(ZunoGlassTokens::textSecondary())));
    row->addWidget(m_title);

    m_slider->setRange(static_cast<int>(std::lround(minimum * kStepsPerUnit)),
        static_cast<int>(std::lround(maximum * kStepsPerUnit)));
    m_slider->setStyleSheet(
        QStringLiteral("QSlider::groove:horizontal { height: 4px; border-radius: 2px; background: %1; }"
                       "QSlider::sub-page:horizontal { height: 4px; border-radius: 2px; background: %2; }"
                       "QSlider::handle:horizontal { width: 14px; margin: -5px 0; border-radius: 7px;"
                       " background: white; }")
            .arg(studioCssColor(ZunoGlassTokens::surface3()), studioCssColor(accent)));
    m_slider->setMinimumWidth(60);
    ZunoFocusRing::track(m_slider);
    ZunoFocusRing::addOverlay(m_slider, -1);
    row->addWidget(m_slider, 1);
    m_value->setFont(ZunoFonts::monospaced(11.5, QFont::Bold));
    m_value->setStyleSheet(QStringLiteral("color: white;"));
    m_value->setFixedWidth(kValueWidth);
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_value);

    connect(m_slider, &QSlider::valueChanged, this,
        [this](int steps) { emit valueChanged(static_cast<double>(steps) / kStepsPerUnit); });
}

void StudioSliderControl::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString StudioSliderControl::title() const
{
    return m_title->text();
}

void StudioSliderControl::setValue(double value, const QString &valueText)
{
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(
        static_cast<int>(std::lround(std::clamp(value, m_minimum, m_maximum) * kStepsPerUnit)));
    m_value->setText(valueText);
}

QString StudioSliderControl::valueText() const
{
    return m_value->text();
}

ZunoGlassSwitch *makeStudioSwitch(QWidget *parent)
{
    return new ZunoGlassSwitch(QString(), parent);
}
