#pragma once

#include "ZunoAppVersion.h"
#include "ZunoFeedbackKind.h"
#include "ZunoLanguage.h"

#include <QWidget>

#include <optional>

class QAbstractButton;
class ZunoButton;

enum class ZunoFeedbackButtonStyle { compactIcon, labeledPill };

// One click to the maker's web feedback page for an application, a kind of feedback and a language,
// opened in the browser through `ZunoFeedbackService::openInBrowser`; it never opens the composer
// and shows or logs nothing itself. `labeledPill` is a glass button with the title and the symbol;
// `compactIcon` is the symbol alone on a small capsule that takes no keyboard focus and is reached by
// assistive technologies as a button named by its tooltip. Main thread only.
class ZunoFeedbackButton : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *kSymbol = "bubble.left.and.exclamationmark.bubble.right";
    static constexpr qreal kCompactHorizontalPadding = 6.5;
    static constexpr qreal kCompactVerticalPadding = 3;

    ZunoFeedbackButton(const QString &appName, const ZunoAppVersion &version, ZunoFeedbackKind kind,
        ZunoLanguage language, ZunoFeedbackButtonStyle style,
        const std::optional<QString> &baseURL = std::nullopt, QWidget *parent = nullptr);

    QString appName() const { return m_appName; }
    ZunoAppVersion version() const { return m_version; }
    ZunoFeedbackKind kind() const { return m_kind; }
    ZunoLanguage language() const { return m_language; }
    ZunoFeedbackButtonStyle buttonStyle() const { return m_style; }
    std::optional<QString> baseURL() const { return m_baseURL; }
    // Re-resolves the title, tooltip and accessible name.
    void setLanguage(ZunoLanguage language);

    // The clickable part: a `ZunoButton` for the labelled look, the capsule for the compact one.
    QAbstractButton *button() const { return m_button; }

    // Opens the feedback page (what a click does).
    void openFeedbackPage() const;

    static QString tooltipText(ZunoLanguage language);
    static QString titleText(ZunoLanguage language);

private:
    void applyTexts();

    QString m_appName;
    ZunoAppVersion m_version;
    ZunoFeedbackKind m_kind;
    ZunoLanguage m_language;
    ZunoFeedbackButtonStyle m_style;
    std::optional<QString> m_baseURL;
    QAbstractButton *m_button;
};
