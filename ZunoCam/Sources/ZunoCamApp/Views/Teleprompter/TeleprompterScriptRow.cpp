#include "TeleprompterScriptRow.h"

#include "StudioTabPage.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolButton.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

TeleprompterScriptRow::TeleprompterScriptRow(const QUuid &id, const QColor &accent, QWidget *parent)
    : ZunoRoundedFill(kCornerRadius, ZunoGlassTokens::surface1(), parent)
    , m_id(id)
    , m_accent(accent)
    , m_titleLabel(new QLabel(this))
    , m_wordCount(new QLabel(this))
    , m_trash(new ZunoSymbolButton(QStringLiteral("trash"), 11, ZunoGlassTokens::danger(), this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    auto *column = new QVBoxLayout;
    column->setSpacing(3);
    m_titleLabel->setFont(ZunoFonts::system(12.5, QFont::DemiBold));
    m_titleLabel->setStyleSheet(studioTextCss(ZunoGlassTokens::textPrimary()));
    m_titleLabel->setMinimumWidth(1);
    m_titleLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_wordCount->setFont(ZunoFonts::monospaced(10.5));
    m_wordCount->setStyleSheet(studioTextCss(ZunoGlassTokens::textMuted()));
    column->addWidget(m_titleLabel);
    column->addWidget(m_wordCount);
    row->addLayout(column, 1);
    row->addWidget(m_trash, 0, Qt::AlignVCenter);
    connect(m_trash, &ZunoSymbolButton::clicked, this, &TeleprompterScriptRow::deleteRequested);
    setCursor(Qt::PointingHandCursor);
    // The row is a button for the keyboard too: Tab reaches it, Space, Return or Enter select it.
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    setSelected(false);
}

void TeleprompterScriptRow::setTexts(const QString &title, const QString &wordCount)
{
    if (m_title != title) {
        m_title = title;
        setAccessibleName(title);
        elideTitle();
    }
    m_wordCount->setText(wordCount);
}

void TeleprompterScriptRow::setSelected(bool selected)
{
    m_selected = selected;
    setFill(selected ? ZunoGlassTokens::withAlpha(m_accent, 0.24) : ZunoGlassTokens::surface1());
    setBorder(selected ? ZunoGlassTokens::withAlpha(m_accent, 0.65) : ZunoGlassTokens::borderSubtle());
}

void TeleprompterScriptRow::setDeletable(bool deletable)
{
    m_trash->setVisible(deletable);
}

QString TeleprompterScriptRow::titleText() const
{
    return m_title;
}

QString TeleprompterScriptRow::wordCountText() const
{
    return m_wordCount->text();
}

void TeleprompterScriptRow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        event->accept();
        return;
    }
    ZunoRoundedFill::mousePressEvent(event);
}

void TeleprompterScriptRow::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        && modifiers == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            emit clicked();
        event->accept();
        return;
    }
    ZunoRoundedFill::keyPressEvent(event);
}

void TeleprompterScriptRow::paintEvent(QPaintEvent *event)
{
    ZunoRoundedFill::paintEvent(event);
    QPainter painter(this);
    ZunoFocusRing::paintIfVisible(painter, this, rect(), kCornerRadius);
}

void TeleprompterScriptRow::resizeEvent(QResizeEvent *event)
{
    ZunoRoundedFill::resizeEvent(event);
    elideTitle();
}

void TeleprompterScriptRow::elideTitle()
{
    const int width = std::max(1, m_titleLabel->width());
    m_titleLabel->setText(m_titleLabel->fontMetrics().elidedText(m_title, Qt::ElideRight, width));
}
