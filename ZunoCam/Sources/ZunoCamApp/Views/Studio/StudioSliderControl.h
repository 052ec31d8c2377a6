#pragma once

#include <QColor>
#include <QWidget>

class QLabel;
class QSlider;
class ZunoGlassSwitch;

// A titled continuous slider in one row: the title (12, secondary text), the accent-tinted track and
// the value text (11.5 bold monospaced, white) in a fixed trailing frame 44 wide. The track
// moves in hundredths, so a stored 135.7 stays 135.7 until the user drags.
class StudioSliderControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kValueWidth = 44;
    static constexpr int kStepsPerUnit = 100;

    StudioSliderControl(double minimum, double maximum, const QColor &accent, QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const;
    // Shows a stored value without announcing it; a value outside the range shows as it is in the
    // text while the track rests at its end.
    void setValue(double value, const QString &valueText);
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    QString valueText() const;
    QSlider *slider() const { return m_slider; }

signals:
    // Only for the user's moves.
    void valueChanged(double value);

private:
    double m_minimum;
    double m_maximum;
    QLabel *m_title;
    QSlider *m_slider;
    QLabel *m_value;
};

// The studio's on/off switch: the design system's glass switch, its label in the primary text colour.
ZunoGlassSwitch *makeStudioSwitch(QWidget *parent = nullptr);
