#pragma once

#include "ZunoLanguage.h"
#include "ZunoVirtualMemorySummary.h"

#include <QAbstractButton>

#include <functional>

// The header capsule that tells at a glance whether swap or the RAM application's expansions are in
// use, coloured by memory pressure: a dot, a symbol and "VM: <badge text>" (or "VM ON"). A click calls
// `onTap`, or without one brings up the RAM application. Shows the summary it is given; reads nothing.
class ZunoVirtualMemoryHeaderPill : public QAbstractButton {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    ZunoVirtualMemoryHeaderPill(
        ZunoVirtualMemorySummary summary, ZunoLanguage language, Action onTap, QWidget *parent = nullptr);

    void setSummary(ZunoVirtualMemorySummary summary);
    void setLanguage(ZunoLanguage language);
    void setOnTap(Action onTap);

    // Critical pressure, then an active expansion, then warning pressure, else cyan.
    static QColor pillColor(const ZunoVirtualMemorySummary &summary);
    QColor color() const { return pillColor(m_summary); }
    QString title() const;
    QString symbolName() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void resync();
    void tapped();

    ZunoVirtualMemorySummary m_summary;
    ZunoLanguage m_language;
    Action m_onTap;
};
