#pragma once

#include "ZunoLanguageChoice.h"

#include <QAbstractButton>

class QMenu;

// The compact language capsule of a header: a globe and the language's short code ("EN", "PT",
// "ZH-TW") in 11-pixel semibold text on the second glass surface, outlined by the subtle border.
// A click opens the menu of choices: the system entry, a separator, then every language by English
// name; the check mark sits on the system entry while following the system, else on `language`.
// Choices work as in `ZunoLanguagePicker`. Main thread only.
class ZunoLanguageMenuButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kSpacing = 4;
    static constexpr qreal kHorizontalPadding = 8;
    static constexpr qreal kVerticalPadding = 4;

    explicit ZunoLanguageMenuButton(
        ZunoLanguage language, ZunoLanguageChoice::OnSelect onSelect = {}, QWidget *parent = nullptr);

    ZunoLanguage language() const { return m_language; }
    void setLanguage(ZunoLanguage language);
    bool isFollowingSystem() const { return m_isFollowingSystem; }
    // The badge text.
    QString codeText() const;

    // The menu, rebuilt from the current state on each call and before it opens.
    QMenu *menu();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void languageSelected(ZunoLanguage language);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void rebuildMenu();
    void select(ZunoLanguage language);
    QFont labelFont() const;

    ZunoLanguage m_language;
    ZunoLanguageChoice::OnSelect m_onSelect;
    bool m_isFollowingSystem;
    QMenu *m_menu;
};
