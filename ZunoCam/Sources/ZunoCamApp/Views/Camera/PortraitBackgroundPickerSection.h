#pragma once

#include <QColor>
#include <QWidget>

class CamStudioViewModel;
class QLabel;
class ZunoSegmentedControl;
class ZunoSymbolIcon;

// The portrait background choice: a header with the current mode's symbol and label (in the accent
// while a mode is on), then one segment per mode. A choice writes the mode and applies it once.
class PortraitBackgroundPickerSection : public QWidget {
    Q_OBJECT
public:
    PortraitBackgroundPickerSection(
        CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_title; }
    ZunoSymbolIcon *titleSymbol() const { return m_symbol; }
    QLabel *modeLabel() const { return m_mode; }
    ZunoSegmentedControl *picker() const { return m_picker; }

private:
    void sync();

    CamStudioViewModel &m_viewModel;
    QColor m_accent;
    ZunoSymbolIcon *m_symbol;
    QLabel *m_title;
    QLabel *m_mode;
    ZunoSegmentedControl *m_picker;
};
