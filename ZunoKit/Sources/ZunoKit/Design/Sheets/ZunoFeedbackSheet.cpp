#include "ZunoFeedbackSheet.h"

#include "ZunoBrandMark.h"
#include "ZunoButton.h"
#include "ZunoColumn.h"
#include "ZunoContinuousShape.h"
#include "ZunoFeedbackError.h"
#include "ZunoFeedbackService.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoHttpSession.h"
#include "ZunoLanguagePicker.h"
#include "ZunoPlainLabel.h"
#include "ZunoProminentButtonStyle.h"
#include "ZunoRoundedFill.h"
#include "ZunoSymbolButton.h"
#include "ZunoSymbolLabel.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"
#include "ZunoWhileAlive.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <cmath>
#include <sys/stat.h>

namespace {

constexpr int kPagePadding = 20;
constexpr int kCardPadding = 14;
constexpr int kDetailsMinimumHeight = 105;
constexpr int kCardRadius = 14;
constexpr int kThumbnailWidth = 124;
constexpr QSize kThumbnailImage(112, 68);

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

std::shared_ptr<const ZunoButtonStyle> glassCaptionStyle()
{
    return std::make_shared<ZunoGlassButtonStyle>(false, ZunoFonts::style(ZunoTextStyle::caption));
}

ZunoButton *glassButton(const QString &title, const QString &symbol)
{
    auto *button = new ZunoButton(title, glassCaptionStyle());
    button->setSymbol(symbol);
    return button;
}

// The MIME type a picked file is sent with, from its extension.
QString mimeTypeForFile(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return QStringLiteral("image/jpeg");
    if (extension == QLatin1String("webp"))
        return QStringLiteral("image/webp");
    if (extension == QLatin1String("gif"))
        return QStringLiteral("image/gif");
    return QStringLiteral("image/png");
}

// A tile of the kind grid: the kind's symbol and title, the selected one on the stronger surface with
// an accent edge.
class KindTile : public QAbstractButton {
public:
    KindTile(ZunoFeedbackKind kind, const QString &title, const QColor &accent)
        : m_kind(kind)
        , m_accent(accent)
    {
        setText(title);
        setShortcut(QKeySequence());
        setAccessibleName(title);
        setCheckable(true);
        setAutoExclusive(false);
        setFocusPolicy(Qt::TabFocus);
        ZunoFocusRing::track(this);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(titleFont());
        const qreal side = symbolSide();
        return QSize(static_cast<int>(std::ceil(20 + side + 8 + metrics.horizontalAdvance(text()))),
            static_cast<int>(std::ceil(16 + std::max(side, metrics.height()))));
    }
    QSize minimumSizeHint() const override { return QSize(60, sizeHint().height()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const bool selected = isChecked();
        const QRectF bounds = rect();
        painter.fillPath(ZunoContinuousShape::roundedRect(bounds, 10),
            selected ? ZunoGlassTokens::surface3() : ZunoGlassTokens::surface1());
        ZunoContinuousShape::strokeBorder(
            painter, bounds, 10, selected ? withOpacity(m_accent, 0.85) : ZunoGlassTokens::borderSubtle());
        const qreal side = symbolSide();
        const bool rtl = layoutDirection() == Qt::RightToLeft;
        const QRectF inner = bounds.adjusted(10, 8, -10, -8);
        const QRectF symbol(
            rtl ? inner.right() - side : inner.left(), inner.center().y() - side / 2, side, side);
        ZunoSymbolRegistry::paint(
            painter, symbol, symbolName(m_kind), selected ? m_accent : ZunoGlassTokens::textSecondary());
        const QRectF textBox = rtl ? inner.adjusted(0, 0, -(side + 8), 0) : inner.adjusted(side + 8, 0, 0, 0);
        painter.setFont(titleFont());
        painter.setPen(Qt::white);
        painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeading | Qt::TextSingleLine,
            QFontMetricsF(titleFont()).elidedText(text(), Qt::ElideRight, textBox.width() + 0.5));
        ZunoFocusRing::paintIfVisible(painter, this, bounds, 10);
    }

private:
    QFont titleFont() const
    {
        return ZunoFonts::style(ZunoTextStyle::caption, isChecked() ? QFont::DemiBold : QFont::Medium);
    }
    static qreal symbolSide() { return ZunoSymbolRegistry::sideForFont(ZunoFonts::system(13)); }

    ZunoFeedbackKind m_kind;
    QColor m_accent;
};

// A screenshot's image scaled to fill its frame, clipped to a rounded rectangle.
class ThumbnailImage : public QWidget {
public:
    explicit ThumbnailImage(QImage image)
        : m_image(std::move(image))
    {
        setFixedSize(kThumbnailImage);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setClipPath(ZunoContinuousShape::roundedRect(rect(), 8));
        const QSizeF filled = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatioByExpanding);
        const QRectF target(
            QPointF((width() - filled.width()) / 2, (height() - filled.height()) / 2), filled);
        painter.drawImage(target, m_image);
    }

private:
    QImage m_image;
};

} // namespace

ZunoFeedbackSheet::ZunoFeedbackSheet(const QString &appName, const ZunoAppVersion &version,
    ZunoProductPalette palette, ZunoLanguage language, const std::optional<QString> &baseURL,
    std::function<void()> onClose, QWidget *parent)
    : QWidget(parent)
    , m_appName(appName)
    , m_version(version)
    , m_palette(palette)
    , m_language(language)
    , m_baseURL(baseURL)
    , m_onClose(std::move(onClose))
{
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    auto *outer = zunoColumn(this, 0);
    auto *ground = new ZunoGroundBackground(palette);
    outer->addWidget(ground);
    auto *groundLayout = zunoColumn(ground, 0);

    auto *page = new QWidget;
    m_page = page;
    auto *stack = zunoColumn(page, 16, kPagePadding);
    stack->addWidget(buildHeader());
    m_form = new QWidget;
    auto *form = zunoColumn(m_form, 14);
    form->addWidget(buildKindCard());
    form->addWidget(buildFieldsCard());
    form->addWidget(buildScreenshotsCard());
    form->addWidget(buildErrorRow());
    stack->addWidget(m_form);
    stack->addWidget(buildReceiptCard());
    stack->addStretch(1);
    groundLayout->addWidget(zunoGlassScrollArea(page), 1);
    // The action row stays below the scrolling form, so Send never scrolls out of view.
    m_actionRow = buildActionRow();
    m_actionRow->setContentsMargins(kPagePadding, 0, kPagePadding, kPagePadding);
    groundLayout->addWidget(m_actionRow);
    // The page's new height (a row shown, a screenshot added) becomes this sheet's size hint, which
    // the sheet host follows.
    page->installEventFilter(this);

    // The transfer never outlives the application: quitting stops it instead of waiting for it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_stop.request_stop(); });
    zunoContentLayoutDirection(this, language);
    syncKind();
    syncThumbnails();
    syncFace();
    syncSendButton();
}

ZunoFeedbackSheet::~ZunoFeedbackSheet()
{
    m_stop.request_stop();
}

QSize ZunoFeedbackSheet::sizeHint() const
{
    const int width = std::max(
        { kMinimumWidth, m_page->sizeHint().width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent),
            m_actionRow->sizeHint().width() });
    const int actions = m_actionRow->isVisibleTo(this) ? m_actionRow->sizeHint().height() : 0;
    return QSize(width, std::max(kMinimumHeight, m_page->heightForWidth(width) + actions));
}

bool ZunoFeedbackSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QWidget::eventFilter(watched, event);
}

QString ZunoFeedbackSheet::text(const char *en, const char *tr) const
{
    return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), m_language);
}

void ZunoFeedbackSheet::setHttpSession(std::shared_ptr<ZunoHttpSession> session)
{
    m_session = std::move(session);
}

QWidget *ZunoFeedbackSheet::buildHeader()
{
    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    m_brandMark = new ZunoBrandMark(28, ZunoBrandMarkStyle::forAppName(m_appName));
    row->addWidget(m_brandMark, 0, Qt::AlignTop);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    QLabel *title = zunoPlainLabel(text("We continuously improve our programs by listening to you",
                                       "Sizi dinleyerek programlarımızı sürekli geliştiriyoruz"),
        ZunoFonts::system(16, QFont::Bold), Qt::white, true);
    title->setObjectName(QStringLiteral("sheetTitle"));
    titles->addWidget(title);
    const QString subtitle = zunoText(QStringLiteral("Spotted a bug in ") + m_appName
            + QStringLiteral(
                ", have a feature wish, or a new app idea? Share your email and an optional screenshot."),
        m_appName
            + QStringLiteral(
                " içinde bir hata mı gördünüz, özellik öneriniz ya da yeni bir program fikriniz mi var? "
                "E-postanız ve ekran görüntüsüyle bize yazın."),
        m_language);
    QLabel *subtitleLabel = zunoPlainLabel(
        subtitle, ZunoFonts::style(ZunoTextStyle::caption), ZunoGlassTokens::textSecondary(), true);
    subtitleLabel->setObjectName(QStringLiteral("sheetSubtitle"));
    titles->addWidget(subtitleLabel);
    row->addLayout(titles, 1);
    if (m_onClose) {
        m_closeButton = ZunoSymbolButton::closeButton(m_language, m_onClose);
        row->addWidget(m_closeButton, 0, Qt::AlignTop);
    }
    return header;
}

QWidget *ZunoFeedbackSheet::buildKindCard()
{
    auto *content = new QWidget;
    auto *stack = zunoColumn(content, 10);
    stack->addWidget(zunoPlainLabel(text("What is this about?", "Konu türü"),
        ZunoFonts::style(ZunoTextStyle::caption, QFont::DemiBold), ZunoGlassTokens::textSecondary()));
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    int index = 0;
    for (ZunoFeedbackKind kind : ZunoFeedbackKinds::allCases()) {
        auto *tile = new KindTile(kind, title(kind, m_language), ZunoProductPalettes::accentColor(m_palette));
        connect(tile, &QAbstractButton::clicked, this, [this, kind] { chooseKind(kind); });
        m_kindTiles.insert(kind, tile);
        grid->addWidget(tile, index / 2, index % 2);
        ++index;
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    stack->addLayout(grid);
    return new ZunoGlassCard(kCardPadding, kCardRadius, content, nullptr);
}

QWidget *ZunoFeedbackSheet::buildFieldsCard()
{
    const auto field = [this](const QString &label, QWidget *control) {
        auto *holder = new QWidget;
        auto *stack = zunoColumn(holder, 4);
        stack->addWidget(zunoPlainLabel(label, ZunoFonts::style(ZunoTextStyle::caption, QFont::DemiBold),
            ZunoGlassTokens::textSecondary()));
        stack->addWidget(control);
        return holder;
    };
    const auto lineEdit = [this](const QString &placeholder, QString ZunoFeedbackSheet::*value) {
        auto *edit = zunoGlassInputField(new QLineEdit, 7, 8, 6);
        edit->setPlaceholderText(placeholder);
        connect(edit, &QLineEdit::textEdited, this, [this, value](const QString &typed) {
            this->*value = typed;
            emit stateChanged();
        });
        return edit;
    };
    m_emailField = lineEdit(text("you@example.com", "adiniz@example.org"), &ZunoFeedbackSheet::m_email);
    m_nameField = lineEdit(text("Optional", "Opsiyonel"), &ZunoFeedbackSheet::m_senderName);
    m_subjectField = lineEdit(
        text("Summarize in one line…", "Konuyu tek cümlede özetleyin…"), &ZunoFeedbackSheet::m_subject);

    auto *editorFrame = new ZunoRoundedFill(8, ZunoGlassTokens::surface1());
    editorFrame->setBorder(ZunoGlassTokens::borderSubtle());
    editorFrame->setMinimumHeight(kDetailsMinimumHeight);
    auto *editorLayout = zunoColumn(editorFrame, 0, 6);
    m_messageEditor = new QPlainTextEdit;
    m_messageEditor->setFrameShape(QFrame::NoFrame);
    m_messageEditor->setFont(ZunoFonts::system(13));
    m_messageEditor->viewport()->setAutoFillBackground(false);
    m_messageEditor->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    QPalette editorPalette = m_messageEditor->palette();
    editorPalette.setColor(QPalette::Text, ZunoGlassTokens::textPrimary());
    m_messageEditor->setPalette(editorPalette);
    m_messageEditor->setMinimumHeight(kDetailsMinimumHeight - 12);
    // Its size hint is its minimum, so the form keeps its height until the sheet has room to give.
    m_messageEditor->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    // Tab moves on through the composer; the ring is drawn around the editor's frame.
    m_messageEditor->setTabChangesFocus(true);
    ZunoFocusRing::track(m_messageEditor);
    ZunoFocusRing::addOverlay(m_messageEditor, 8);
    connect(m_messageEditor, &QPlainTextEdit::textChanged, this, [this] {
        const QString typed = m_messageEditor->toPlainText();
        if (typed == m_message)
            return;
        m_message = typed;
        emit stateChanged();
    });
    editorLayout->addWidget(m_messageEditor);

    auto *content = new QWidget;
    auto *stack = zunoColumn(content, 12);
    auto *pair = new QHBoxLayout;
    pair->setSpacing(10);
    pair->addWidget(field(text("Your Email *", "E-posta Adresiniz *"), m_emailField), 1);
    pair->addWidget(field(text("Name (optional)", "Adınız (opsiyonel)"), m_nameField), 1);
    stack->addLayout(pair);
    stack->addWidget(field(text("Short Title *", "Kısa Başlık *"), m_subjectField));
    stack->addWidget(field(text("Details *", "Detaylar / Fikriniz *"), editorFrame));
    return new ZunoGlassCard(kCardPadding, kCardRadius, content, nullptr);
}

QWidget *ZunoFeedbackSheet::buildScreenshotsCard()
{
    auto *content = new QWidget;
    auto *stack = zunoColumn(content, 10);
    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(
        new ZunoSymbolLabel(QStringLiteral("photo.on.rectangle.angled"),
            text("Screenshots (optional, up to 5)", "Ekran Görüntüleri (opsiyonel, en fazla 5)"),
            ZunoFonts::style(ZunoTextStyle::caption, QFont::DemiBold), Qt::white),
        1, Qt::AlignVCenter);
    m_pasteButton
        = glassButton(text("Paste Clipboard", "Panodan Yapıştır"), QStringLiteral("doc.on.clipboard"));
    connect(m_pasteButton, &QAbstractButton::clicked, this, &ZunoFeedbackSheet::pasteFromClipboard);
    m_chooseButton = glassButton(text("Choose Image…", "Görsel Seç…"), QStringLiteral("plus.circle"));
    connect(m_chooseButton, &QAbstractButton::clicked, this, &ZunoFeedbackSheet::pickScreenshotsFromDisk);
    header->addWidget(m_pasteButton, 0, Qt::AlignVCenter);
    header->addWidget(m_chooseButton, 0, Qt::AlignVCenter);
    stack->addLayout(header);

    m_hintLabel = zunoPlainLabel(
        QString(), ZunoFonts::style(ZunoTextStyle::caption2), ZunoGlassTokens::textSecondary(), true);
    m_hintLabel->setObjectName(QStringLiteral("statusHint"));
    stack->addWidget(m_hintLabel);

    m_thumbnails = new QWidget;
    m_thumbnails->setObjectName(QStringLiteral("thumbnails"));
    auto *strip = new QHBoxLayout(m_thumbnails);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(10);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("thumbnailScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_thumbnails);
    scroll->viewport()->setAutoFillBackground(false);
    m_thumbnails->setAutoFillBackground(false);
    scroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    stack->addWidget(scroll);
    return new ZunoGlassCard(kCardPadding, kCardRadius, content, nullptr);
}

QWidget *ZunoFeedbackSheet::buildErrorRow()
{
    m_errorRow = new ZunoRoundedFill(10, withOpacity(ZunoGlassTokens::danger(), 0.22));
    m_errorRow->setObjectName(QStringLiteral("errorRow"));
    auto *row = new QHBoxLayout(m_errorRow);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    auto *symbol = new QLabel;
    const QFont caption = ZunoFonts::style(ZunoTextStyle::caption);
    const qreal side = ZunoSymbolRegistry::sideForFont(caption);
    symbol->setPixmap(
        QPixmap::fromImage(ZunoSymbolRegistry::image(QStringLiteral("exclamationmark.triangle.fill"), side,
            ZunoGlassTokens::warning(), devicePixelRatioF())));
    row->addWidget(symbol, 0, Qt::AlignVCenter);
    m_errorLabel = zunoPlainLabel(QString(), caption, Qt::white, true);
    m_errorLabel->setObjectName(QStringLiteral("errorMessage"));
    row->addWidget(m_errorLabel, 1, Qt::AlignVCenter);
    return m_errorRow;
}

QWidget *ZunoFeedbackSheet::buildActionRow()
{
    auto *holder = new QWidget;
    auto *row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    m_openInBrowserButton = glassButton(text("Open in Browser", "Tarayıcıda Aç"), QStringLiteral("safari"));
    connect(m_openInBrowserButton, &QAbstractButton::clicked, this, &ZunoFeedbackSheet::openInBrowser);
    row->addWidget(m_openInBrowserButton, 0, Qt::AlignVCenter);
    row->addStretch(1);
    QLabel *version = zunoPlainLabel(m_appName + QStringLiteral(" v") + m_version.shortVersion,
        ZunoFonts::monospaced(ZunoFonts::metrics(ZunoTextStyle::caption2).size),
        ZunoGlassTokens::textMuted());
    version->setObjectName(QStringLiteral("versionText"));
    row->addWidget(version, 0, Qt::AlignVCenter);
    m_sendButton = new ZunoButton(
        QString(), std::make_shared<ZunoProminentButtonStyle>(ZunoProductPalettes::accentColor(m_palette)));
    connect(m_sendButton, &QAbstractButton::clicked, this, &ZunoFeedbackSheet::submitFeedback);
    row->addWidget(m_sendButton, 0, Qt::AlignVCenter);
    return holder;
}

QWidget *ZunoFeedbackSheet::buildReceiptCard()
{
    auto *content = new QWidget;
    auto *stack = zunoColumn(content, 12);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    auto *seal = new QLabel;
    seal->setPixmap(QPixmap::fromImage(ZunoSymbolRegistry::image(QStringLiteral("checkmark.seal.fill"),
        ZunoSymbolRegistry::sideForFont(ZunoFonts::system(22)), ZunoGlassTokens::success(),
        devicePixelRatioF())));
    titleRow->addWidget(seal, 0, Qt::AlignVCenter);
    titleRow->addWidget(
        zunoPlainLabel(text("Thank you for sharing!", "Zaman ayırıp yazdığınız için teşekkürler!"),
            ZunoFonts::style(ZunoTextStyle::headline), Qt::white, true),
        1, Qt::AlignVCenter);
    stack->addLayout(titleRow);
    m_receiptMessage = zunoPlainLabel(
        QString(), ZunoFonts::style(ZunoTextStyle::callout), ZunoGlassTokens::textSecondary(), true);
    m_receiptMessage->setObjectName(QStringLiteral("receiptMessage"));
    stack->addWidget(m_receiptMessage);

    auto *chips = new QHBoxLayout;
    chips->setSpacing(10);
    auto *chip = new ZunoRoundedFill(8, ZunoGlassTokens::surface2());
    auto *chipLayout = new QHBoxLayout(chip);
    chipLayout->setContentsMargins(10, 5, 10, 5);
    m_receiptReference = zunoPlainLabel(QString(),
        ZunoFonts::monospaced(ZunoFonts::metrics(ZunoTextStyle::caption).size, QFont::Bold), Qt::white);
    m_receiptReference->setObjectName(QStringLiteral("receiptReference"));
    m_receiptReference->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chipLayout->addWidget(m_receiptReference);
    chips->addWidget(chip, 0, Qt::AlignVCenter);
    m_receiptAttachments = zunoPlainLabel(
        QString(), ZunoFonts::style(ZunoTextStyle::caption), ZunoGlassTokens::textSecondary());
    m_receiptAttachments->setObjectName(QStringLiteral("receiptAttachments"));
    chips->addWidget(m_receiptAttachments, 0, Qt::AlignVCenter);
    chips->addStretch(1);
    stack->addLayout(chips);

    auto *actions = new QHBoxLayout;
    actions->setContentsMargins(0, 4, 0, 0);
    actions->setSpacing(8);
    m_sendAnotherButton
        = new ZunoButton(text("Send Another Note", "Yeni Bildirim Gönder"), glassCaptionStyle());
    connect(m_sendAnotherButton, &QAbstractButton::clicked, this, &ZunoFeedbackSheet::sendAnother);
    actions->addWidget(m_sendAnotherButton, 0, Qt::AlignVCenter);
    if (m_onClose) {
        m_doneButton = new ZunoButton(text("Done", "Tamam"),
            std::make_shared<ZunoProminentButtonStyle>(ZunoProductPalettes::accentColor(m_palette)));
        connect(m_doneButton, &QAbstractButton::clicked, this, [this] { m_onClose(); });
        actions->addWidget(m_doneButton, 0, Qt::AlignVCenter);
    }
    actions->addStretch(1);
    stack->addLayout(actions);
    m_receiptCard = new ZunoGlassCard(20, kCardRadius, content, nullptr);
    m_receiptCard->setObjectName(QStringLiteral("receiptCard"));
    return m_receiptCard;
}

// ---- State ---------------------------------------------------------------------------------------

void ZunoFeedbackSheet::setError(std::optional<QString> error)
{
    m_errorMessage = std::move(error);
    m_errorLabel->setText(m_errorMessage.value_or(QString()));
    m_errorRow->setVisible(m_errorMessage.has_value());
    emit stateChanged();
}

void ZunoFeedbackSheet::setHint(std::optional<QString> hint)
{
    m_statusHint = std::move(hint);
    m_hintLabel->setText(m_statusHint.value_or(QString()));
    m_hintLabel->setVisible(m_statusHint.has_value());
    emit stateChanged();
}

void ZunoFeedbackSheet::setSubmitting(bool submitting)
{
    m_isSubmitting = submitting;
    syncSendButton();
    emit stateChanged();
    emit submittingChanged(submitting);
}

void ZunoFeedbackSheet::syncSendButton()
{
    m_sendButton->setEnabled(!m_isSubmitting);
    m_sendButton->setBusy(m_isSubmitting);
    m_sendButton->setText(
        m_isSubmitting ? text("Sending…", "Gönderiliyor…") : text("Send Feedback", "Geri Bildirimi Gönder"));
}

void ZunoFeedbackSheet::syncKind()
{
    for (auto tile = m_kindTiles.cbegin(); tile != m_kindTiles.cend(); ++tile)
        tile.value()->setChecked(tile.key() == m_kind);
}

void ZunoFeedbackSheet::syncThumbnails()
{
    auto *strip = static_cast<QHBoxLayout *>(m_thumbnails->layout());
    while (QLayoutItem *item = strip->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const ZunoFeedbackScreenshot &screenshot : m_screenshots) {
        auto *tile = new ZunoRoundedFill(10, ZunoGlassTokens::surface1());
        tile->setObjectName(QStringLiteral("thumbnail"));
        tile->setFixedWidth(kThumbnailWidth);
        auto *stack = zunoColumn(tile, 4, 6);
        const QImage image = QImage::fromData(screenshot.data);
        if (!image.isNull())
            stack->addWidget(new ThumbnailImage(image));
        auto *row = new QHBoxLayout;
        row->setSpacing(4);
        QLabel *size = zunoPlainLabel(screenshot.formattedSize(),
            ZunoFonts::monospaced(ZunoFonts::metrics(ZunoTextStyle::caption2).size),
            ZunoGlassTokens::textMuted());
        size->setObjectName(QStringLiteral("thumbnailSize"));
        row->addWidget(size, 0, Qt::AlignVCenter);
        row->addStretch(1);
        auto *remove = new ZunoSymbolButton(QStringLiteral("xmark.circle.fill"),
            ZunoFonts::metrics(ZunoTextStyle::caption).size, ZunoGlassTokens::danger());
        remove->setObjectName(QStringLiteral("removeScreenshot"));
        remove->setAccessibleName(text("Remove", "Kaldır") + QLatin1Char(' ') + screenshot.filename);
        const QUuid id = screenshot.id;
        connect(remove, &QAbstractButton::clicked, this, [this, id] { removeScreenshot(id); });
        row->addWidget(remove, 0, Qt::AlignVCenter);
        stack->addLayout(row);
        strip->addWidget(tile, 0, Qt::AlignTop);
    }
    strip->addStretch(1);
    QWidget *scroll = m_thumbnails->parentWidget() ? m_thumbnails->parentWidget()->parentWidget() : nullptr;
    if (scroll) {
        scroll->setVisible(!m_screenshots.isEmpty());
        int height = 0;
        for (int i = 0; i < strip->count(); ++i) {
            if (QWidget *tile = strip->itemAt(i)->widget())
                height = std::max(height, tile->sizeHint().height());
        }
        scroll->setFixedHeight(height);
    }
}

void ZunoFeedbackSheet::syncFace()
{
    m_form->setVisible(!m_receipt);
    m_actionRow->setVisible(!m_receipt);
    m_receiptCard->setVisible(m_receipt.has_value());
    if (m_receipt) {
        m_receiptMessage->setText(m_receipt->message);
        m_receiptReference->setText(
            text("Reference", "Takip Kodu") + QStringLiteral(": ") + m_receipt->referenceCode);
        m_receiptAttachments->setText(QStringLiteral("📷 ") + QString::number(m_receipt->attachmentsCount));
        m_receiptAttachments->setVisible(m_receipt->attachmentsCount >= 1);
    }
    m_errorRow->setVisible(m_errorMessage.has_value());
    m_hintLabel->setVisible(m_statusHint.has_value());
}

// ---- Operations ----------------------------------------------------------------------------------

void ZunoFeedbackSheet::chooseKind(ZunoFeedbackKind kind)
{
    m_kind = kind;
    syncKind();
    emit stateChanged();
}

void ZunoFeedbackSheet::pasteFromClipboard()
{
    setError(std::nullopt);
    if (m_screenshots.size() >= ZunoFeedbackService::kMaxScreenshots) {
        setError(ZunoFeedbackError::tooManyScreenshots(ZunoFeedbackService::kMaxScreenshots).description());
        return;
    }
    const auto screenshot = ZunoFeedbackService::readScreenshotFromPasteboard();
    if (!screenshot) {
        setHint(text("No image found on the clipboard right now. Take a screenshot first, then click Paste.",
            "Panoda görsel bulunamadı. Önce ekran görüntüsü alıp ardından Panodan Yapıştır'a tıklayın."));
        return;
    }
    if (screenshot->data.size() > ZunoFeedbackService::kMaxScreenshotBytes) {
        setError(ZunoFeedbackError::screenshotTooLarge(int(ZunoFeedbackService::kMaxScreenshotBytes >> 20))
                     .description());
        return;
    }
    m_screenshots.append(*screenshot);
    syncThumbnails();
    setHint(text("Screenshot pasted from clipboard.", "Panodaki ekran görüntüsü eklendi."));
}

void ZunoFeedbackSheet::pickScreenshotsFromDisk()
{
    setError(std::nullopt);
    const QStringList chosen = m_fileChooser
        ? m_fileChooser()
        : QFileDialog::getOpenFileNames(this, QString(), QString(),
            QStringLiteral("Images (*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG "
                           "*.webp *.WEBP *.gif *.GIF)"));
    addPickedFiles(chosen);
}

void ZunoFeedbackSheet::addPickedFiles(const QStringList &paths)
{
    setError(std::nullopt);
    const qint64 limit = ZunoFeedbackService::kMaxScreenshotBytes;
    for (const QString &path : paths) {
        if (m_screenshots.size() >= ZunoFeedbackService::kMaxScreenshots) {
            setError(
                ZunoFeedbackError::tooManyScreenshots(ZunoFeedbackService::kMaxScreenshots).description());
            break;
        }
        // The size is known before anything is read: a huge file is refused at once, and only regular
        // files are read (a pipe or a device would never end).
        struct stat status { };
        if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode)
            || status.st_size == 0)
            continue;
        if (status.st_size > limit) {
            setError(ZunoFeedbackError::screenshotTooLarge(int(limit >> 20)).description());
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = file.read(limit + 1);
        if (data.isEmpty())
            continue;
        if (data.size() > limit) {
            setError(ZunoFeedbackError::screenshotTooLarge(int(limit >> 20)).description());
            continue;
        }
        m_screenshots.append(
            { QUuid::createUuid(), QFileInfo(path).fileName(), mimeTypeForFile(path), data });
    }
    syncThumbnails();
    emit stateChanged();
}

void ZunoFeedbackSheet::removeScreenshot(const QUuid &id)
{
    m_screenshots.removeIf([&id](const ZunoFeedbackScreenshot &screenshot) { return screenshot.id == id; });
    syncThumbnails();
    emit stateChanged();
}

namespace {

struct SubmissionOutcome {
    std::optional<ZunoFeedbackReceipt> receipt;
    std::optional<ZunoFeedbackError> error;
};

} // namespace

void ZunoFeedbackSheet::submitFeedback()
{
    if (m_isSubmitting)
        return;
    setError(std::nullopt);
    setSubmitting(true);
    // What is sent is the form as it stands now; later edits do not reach the server.
    const QString appName = m_appName;
    const ZunoAppVersion version = m_version;
    const ZunoFeedbackKind kind = m_kind;
    const QString email = m_email;
    const QString senderName = m_senderName;
    const QString subject = m_subject;
    const QString message = m_message;
    const QList<ZunoFeedbackScreenshot> screenshots = m_screenshots;
    const ZunoLanguage language = m_language;
    const std::optional<QString> baseURL = m_baseURL;
    const std::shared_ptr<ZunoHttpSession> session = m_session ? m_session : ZunoHttpSession::shared();
    const std::stop_token stop = m_stop.get_token();

    // A sheet closed meanwhile (its close stops the send) is skipped.
    const auto sending = QtConcurrent::run([=]() -> SubmissionOutcome {
        try {
            return { ZunoFeedbackService::submit(appName, version, kind, email, senderName, subject, message,
                         screenshots, language, baseURL, session, stop),
                std::nullopt };
        } catch (const ZunoFeedbackError &error) {
            return { std::nullopt, error };
        }
    });
    zunoThenWhileAlive(sending, this, [this](const SubmissionOutcome &outcome) {
        // The description is resolved here, in the interface language of this moment.
        finishSubmission(outcome.receipt, outcome.error ? outcome.error->description() : QString());
    });
}

void ZunoFeedbackSheet::finishSubmission(std::optional<ZunoFeedbackReceipt> receipt, const QString &error)
{
    setSubmitting(false);
    if (receipt) {
        m_receipt = std::move(receipt);
        syncFace();
        emit stateChanged();
    } else {
        setError(error);
    }
}

void ZunoFeedbackSheet::sendAnother()
{
    m_receipt.reset();
    m_subject.clear();
    m_subjectField->clear();
    m_message.clear();
    m_messageEditor->clear();
    m_screenshots.clear();
    syncThumbnails();
    m_errorMessage.reset();
    syncFace();
    emit stateChanged();
}

void ZunoFeedbackSheet::openInBrowser()
{
    ZunoFeedbackService::openInBrowser(m_appName, m_version, m_kind, m_language, m_baseURL);
}

void ZunoFeedbackSheet::keyPressEvent(QKeyEvent *event)
{
    if (m_onClose && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_onClose();
        return;
    }
    QWidget::keyPressEvent(event);
}
