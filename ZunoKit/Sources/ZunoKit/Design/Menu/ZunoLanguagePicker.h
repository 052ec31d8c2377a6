#pragma once

#include "ZunoLanguageChoice.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QLabel;

// Right-to-left for Arabic, Persian and Hebrew, left-to-right for every other language.
Qt::LayoutDirection layoutDirection(ZunoLanguage language);
// Gives a widget tree the locale of a language (its raw value as the locale's name).
void zunoLocaleEnvironment(QWidget *widget, ZunoLanguage language);
// Gives a widget tree the layout direction of a language.
void zunoContentLayoutDirection(QWidget *widget, ZunoLanguage language);

// The pop-up language choice of a settings form: "System Language (…)", a separator, then every
// language by English name. A choice is stored through the language preference first; the caller
// hears of it afterwards, through `onSelect` and then `languageSelected`, and re-renders its texts
// (usually calling `setLanguage`). Without a title it is 190 to 260 pixels wide and shows no label.
// Re-reads the stored preference each time it is shown. Main thread only.
class ZunoLanguagePicker : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 190;
    static constexpr int kMaximumWidth = 260;

    // `title` none: "Language" / "Dil" in `language`.
    ZunoLanguagePicker(const std::optional<QString> &title, ZunoLanguage language, bool showTitle,
        ZunoLanguageChoice::OnSelect onSelect = {}, QWidget *parent = nullptr);

    ZunoLanguage language() const { return m_language; }
    // The language the control is shown in and shows as chosen.
    void setLanguage(ZunoLanguage language);
    QString title() const;
    bool showTitle() const { return m_showTitle; }
    bool isFollowingSystem() const { return m_isFollowingSystem; }

    // The pop-up: row 0 the system entry, row 1 the separator, then `ZunoLanguages::sortedCases()`.
    QComboBox *comboBox() const { return m_combo; }
    // What choosing a row does (as the pop-up does when the user picks it).
    void chooseSystem();
    void choose(ZunoLanguage language);

signals:
    void languageSelected(ZunoLanguage language);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void select(ZunoLanguage language);
    void refresh();

    std::optional<QString> m_title;
    ZunoLanguage m_language;
    bool m_showTitle;
    ZunoLanguageChoice::OnSelect m_onSelect;
    bool m_isFollowingSystem;
    QLabel *m_titleLabel;
    QComboBox *m_combo;
};
