#include "ZunoAIAllModelsSection.h"

#include "ZunoAIUnifiedSettingsUIState.h"
#include "ZunoColumn.h"
#include "ZunoContinuousShape.h"
#include "ZunoFlowLayout.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoGlassTokens.h"
#include "ZunoModelRowDelegate.h"
#include "ZunoModelRowListModel.h"
#include "ZunoPlainLabel.h"
#include "ZunoRoundedFill.h"
#include "ZunoSymbolButton.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A filter chip: an accent capsule with dark semibold text when selected, else glass with a border.
class CategoryChip : public QAbstractButton {
public:
    CategoryChip(ZunoAIModelFilterCategory category, const QColor &accent, QWidget *parent)
        : QAbstractButton(parent)
        , m_category(category)
        , m_accent(accent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        ZunoFocusRing::track(this);
        setCheckable(true);
        setAutoExclusive(false);
        setObjectName(rawValue(category));
    }

    ZunoAIModelFilterCategory category() const { return m_category; }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font(isChecked()));
        return QSize(qCeil(metrics.horizontalAdvance(text()) + 20), qCeil(metrics.height() + 9));
    }

protected:
    void nextCheckState() override { setChecked(true); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = rect();
        const bool selected = isChecked();
        painter.fillPath(
            ZunoContinuousShape::capsule(bounds), selected ? m_accent : ZunoGlassTokens::surface2());
        if (!selected)
            ZunoContinuousShape::strokeBorder(painter, bounds, -1, ZunoGlassTokens::borderSubtle());
        painter.setFont(font(selected));
        painter.setPen(selected ? QColor(0, 0, 0, qRound(0.9 * 255)) : ZunoGlassTokens::textPrimary());
        painter.drawText(bounds, Qt::AlignCenter, text());
        ZunoFocusRing::paintIfVisible(painter, this, bounds, -1);
    }

private:
    static QFont font(bool selected)
    {
        return ZunoFonts::system(11, selected ? QFont::DemiBold : QFont::Medium);
    }

    ZunoAIModelFilterCategory m_category;
    QColor m_accent;
};

} // namespace

ZunoAIAllModelsSection::ZunoAIAllModelsSection(
    ZunoAIUnifiedSettingsUIState *state, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_accent(accent)
    , m_search(new QLineEdit)
    , m_clear(new ZunoSymbolButton(QStringLiteral("xmark.circle.fill"), 12, ZunoGlassTokens::textMuted()))
    , m_list(new QListView)
    , m_model(new ZunoModelRowListModel(this))
    , m_delegate(new ZunoModelRowDelegate(accent, ZunoLanguage::en, this))
    , m_empty(zunoPlainLabel(QString(), ZunoFonts::system(11.5), ZunoGlassTokens::textMuted()))
{
    QVBoxLayout *column = zunoColumn(this, 10);

    // Search row: glass, padded 10 × 7.
    auto *searchRow = new ZunoRoundedFill(9, ZunoGlassTokens::surface2());
    searchRow->setBorder(ZunoGlassTokens::borderSubtle());
    auto *searchLayout = new QHBoxLayout(searchRow);
    searchLayout->setContentsMargins(10, 7, 10, 7);
    searchLayout->setSpacing(8);
    auto *glass = new QLabel;
    const qreal side = ZunoSymbolRegistry::sideForFont(ZunoFonts::system(12));
    glass->setPixmap(QPixmap::fromImage(ZunoSymbolRegistry::image(
        QStringLiteral("magnifyingglass"), side, ZunoGlassTokens::textMuted(), devicePixelRatioF())));
    searchLayout->addWidget(glass);
    m_search->setFrame(false);
    m_search->setFont(ZunoFonts::system(12));
    m_search->setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = m_search->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, ZunoGlassTokens::textPrimary());
    palette.setColor(QPalette::PlaceholderText, ZunoGlassTokens::textMuted());
    m_search->setPalette(palette);
    m_search->setText(state->searchQuery);
    ZunoFocusRing::track(m_search);
    ZunoFocusRing::addOverlay(m_search, 4);
    searchLayout->addWidget(m_search, 1);
    m_clear->setAccessibleName(QStringLiteral("Clear"));
    searchLayout->addWidget(m_clear);
    column->addWidget(searchRow);

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_state->searchQuery = text;
        applyFilter();
    });
    connect(m_clear, &QAbstractButton::clicked, m_search, &QLineEdit::clear);

    auto *chips = new QWidget;
    auto *flow = new ZunoFlowLayout(6, 6, chips);
    for (const ZunoAIModelFilterCategory category : ZunoAIModelFilterCategories::allCases) {
        auto *chip = new CategoryChip(category, accent, chips);
        flow->addWidget(chip);
        m_chips.append(chip);
        connect(chip, &QAbstractButton::clicked, this, [this, category] {
            m_state->selectedCategory = category;
            applyFilter();
        });
    }
    column->addWidget(chips);

    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    // Tab reaches the list; Up and Down move its current row, Return, Enter or Space choose it.
    m_list->setFocusPolicy(Qt::StrongFocus);
    ZunoFocusRing::track(m_list);
    m_list->installEventFilter(this);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setUniformItemSizes(false);
    m_list->setMouseTracking(true);
    m_list->setAutoFillBackground(false);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    zunoStyleGlassScrollBar(m_list->verticalScrollBar());
    m_list->viewport()->installEventFilter(this);
    column->addWidget(m_list);

    m_empty->setContentsMargins(0, 12, 0, 12);
    column->addWidget(m_empty);
}

void ZunoAIAllModelsSection::setRows(
    const QList<ZunoUnifiedModelRowItem> &rows, const QList<bool> &selected, ZunoLanguage language)
{
    m_rows = rows;
    m_selected = selected;
    m_language = language;
    m_delegate->setLanguage(language);
    updateTexts();
    applyFilter();
}

void ZunoAIAllModelsSection::updateTexts()
{
    m_search->setPlaceholderText(zunoText(QStringLiteral("Search models (ChatGPT, Claude, Gemini, free…)"),
        QStringLiteral("Model ara (ChatGPT, Claude, Gemini, ücretsiz…)"), m_language));
    m_empty->setText(zunoText(QStringLiteral("No models match this filter."),
        QStringLiteral("Bu filtreyle eşleşen model bulunamadı."), m_language));
    m_list->setAccessibleName(zunoText(QStringLiteral("Models"), QStringLiteral("Modeller"), m_language));
    for (QAbstractButton *chip : m_chips)
        chip->setText(title(static_cast<CategoryChip *>(chip)->category(), m_language));
}

void ZunoAIAllModelsSection::applyFilter()
{
    if (m_search->text() != m_state->searchQuery) {
        const QSignalBlocker blocker(m_search);
        m_search->setText(m_state->searchQuery);
    }
    m_clear->setVisible(!m_state->searchQuery.isEmpty());
    for (QAbstractButton *chip : m_chips) {
        chip->setChecked(static_cast<CategoryChip *>(chip)->category() == m_state->selectedCategory);
        chip->updateGeometry();
    }

    QList<ZunoUnifiedModelRowItem> filtered;
    QList<bool> flags;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).matches(m_state->selectedCategory, m_state->searchQuery)) {
            filtered.append(m_rows.at(i));
            flags.append(m_selected.value(i));
        }
    }
    // A re-sync replaces the rows; the keyboard's place stays on the same model.
    const QModelIndex current = m_list->currentIndex();
    const QString currentId = current.isValid() ? m_model->item(current.row()).id : QString();
    m_model->setRows(filtered, flags, m_language);
    for (int row = 0; !currentId.isEmpty() && row < m_model->rowCount(); ++row) {
        if (m_model->item(row).id == currentId) {
            m_list->setCurrentIndex(m_model->index(row));
            break;
        }
    }
    m_list->setVisible(!filtered.isEmpty());
    m_empty->setVisible(filtered.isEmpty());
    updateListHeight();
}

void ZunoAIAllModelsSection::updateListHeight()
{
    // The list is as tall as its rows, within 160…260; rows past the maximum need no measuring.
    // Before the first layout the list has no width of its own yet; the section's is close enough.
    const int width
        = m_list->viewport()->width() > 1 ? m_list->viewport()->width() : std::max(1, this->width());
    int content = 2 * ZunoModelRowDelegate::kListPadding;
    for (int row = 0; row < m_model->rowCount() && content < kMaximumListHeight; ++row)
        content += m_delegate->cardHeight(*m_model, row, width) + (row > 0 ? ZunoModelRowDelegate::kGap : 0);
    m_list->setFixedHeight(std::clamp(content, kMinimumListHeight, kMaximumListHeight));
}

void ZunoAIAllModelsSection::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateListHeight();
}

bool ZunoAIAllModelsSection::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool choose
            = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (choose && !key->isAutoRepeat() && modifiers == Qt::NoModifier) {
            const QModelIndex index = m_list->currentIndex();
            if (index.isValid())
                emit rowChosen(m_model->item(index.row()));
            return true;
        }
    }
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QModelIndex index = m_list->indexAt(mouse->position().toPoint());
            if (index.isValid()
                && ZunoModelRowDelegate::cardRect(m_list->visualRect(index), index)
                       .contains(mouse->position())) {
                emit rowChosen(m_model->item(index.row()));
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
