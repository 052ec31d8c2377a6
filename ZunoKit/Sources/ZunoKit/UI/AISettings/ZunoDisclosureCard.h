#pragma once

#include "ZunoGlassCard.h"

#include <QAbstractButton>

class QVBoxLayout;

// A glass card (padding 12, radius 14) whose header button, a chevron and a title, shows or hides its
// content at once (no animation). Collapsed, the header stands alone.
class ZunoDisclosureCard : public ZunoGlassCard {
    Q_OBJECT
public:
    explicit ZunoDisclosureCard(const QString &title, QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);
    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded);
    // The card takes the content; it is shown only while expanded.
    void setBody(QWidget *body);
    QWidget *body() const { return m_body; }
    QAbstractButton *headerButton() const { return m_header; }

signals:
    // Only for the user's toggle, not for `setExpanded`.
    void toggled(bool expanded);

private:
    void apply();

    QAbstractButton *m_header;
    QVBoxLayout *m_column;
    QWidget *m_body = nullptr;
    bool m_expanded = false;
};
