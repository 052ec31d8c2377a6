#pragma once

#include <QWidget>

class CamStudioViewModel;
class ZunoGlassSwitch;
class QLabel;
class ZunoLanguagePicker;

// The settings tab: start at login and the interface language.
class CamSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit CamSettingsView(CamStudioViewModel &viewModel, QWidget *parent = nullptr);

    // For tests and the gallery.
    QLabel *headingLabel() const { return m_heading; }
    ZunoGlassSwitch *loginSwitch() const { return m_login; }
    QLabel *languageLabel() const { return m_languageLabel; }
    ZunoLanguagePicker *languagePicker() const { return m_picker; }

private:
    void sync();
    QString text(const QString &en, const QString &tr) const;

    CamStudioViewModel &m_viewModel;
    QLabel *m_heading = nullptr;
    ZunoGlassSwitch *m_login = nullptr;
    QLabel *m_languageLabel = nullptr;
    ZunoLanguagePicker *m_picker = nullptr;
};
