#include "TeleprompterRemoteCardView.h"

#include "CamStudioViewModel.h"
#include "StudioTabPage.h"
#include "ZunoButton.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolIcon.h"
#include "ZunoText.h"

#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

// The "LIVE" / "OFF" capsule: a 7-pixel dot and a short monospaced word on `surface2`.
class TeleprompterRemoteStatusPill : public QWidget {
public:
    explicit TeleprompterRemoteStatusPill(QWidget *parent)
        : QWidget(parent)
    {
        setFont(ZunoFonts::monospaced(10, QFont::Bold));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    void set(const QString &text, const QColor &color)
    {
        if (text == m_text && color == m_color)
            return;
        m_text = text;
        m_color = color;
        updateGeometry();
        update();
    }
    QString text() const { return m_text; }
    QColor color() const { return m_color; }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        return QSize(kPaddingX + kDot + kGap + metrics.horizontalAdvance(m_text) + kPaddingX,
            metrics.height() + 2 * kPaddingY);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF capsule = QRectF(rect());
        painter.setPen(Qt::NoPen);
        painter.setBrush(ZunoGlassTokens::surface2());
        painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        painter.setBrush(m_color);
        painter.drawEllipse(QRectF(kPaddingX, (height() - kDot) / 2.0, kDot, kDot));
        painter.setPen(m_color);
        painter.drawText(QRect(kPaddingX + kDot + kGap, 0, width() - kPaddingX - kDot - kGap, height()),
            Qt::AlignLeft | Qt::AlignVCenter, m_text);
    }

private:
    static constexpr int kPaddingX = 8;
    static constexpr int kPaddingY = 4;
    static constexpr int kDot = 7;
    static constexpr int kGap = 5;
    QString m_text;
    QColor m_color;
};

TeleprompterRemoteCardView::TeleprompterRemoteCardView(
    CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto *header = new QHBoxLayout;
    header->setSpacing(10);
    m_symbol = new ZunoSymbolIcon(QStringLiteral("iphone.radiowaves.left.and.right"),
        ZunoFonts::system(14, QFont::DemiBold), m_accent, content);
    header->addWidget(m_symbol, 0, Qt::AlignVCenter);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    m_title = new QLabel(content);
    m_title->setFont(ZunoFonts::system(13, QFont::Bold));
    m_title->setStyleSheet(studioTextCss(ZunoGlassTokens::textPrimary()));
    m_subtitle = new QLabel(content);
    m_subtitle->setFont(ZunoFonts::system(11));
    m_subtitle->setStyleSheet(studioTextCss(ZunoGlassTokens::textSecondary()));
    m_subtitle->setWordWrap(true);
    titles->addWidget(m_title);
    titles->addWidget(m_subtitle);
    header->addLayout(titles, 1);
    m_pill = new TeleprompterRemoteStatusPill(content);
    header->addWidget(m_pill, 0, Qt::AlignVCenter);
    m_startStop = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), content);
    // Decided at the click: the server's state may have changed since the card last drew.
    connect(m_startStop, &ZunoButton::clicked, this, [this] {
        if (m_viewModel.isRemoteServerRunning())
            m_viewModel.stopRemoteServer();
        else
            m_viewModel.startRemoteServer();
    });
    header->addWidget(m_startStop, 0, Qt::AlignVCenter);
    column->addLayout(header);

    auto *addressRow = new QHBoxLayout;
    addressRow->setSpacing(8);
    m_addressCapsule = new QFrame(content);
    m_addressCapsule->setObjectName(QStringLiteral("remoteAddress"));
    auto *capsule = new QHBoxLayout(m_addressCapsule);
    capsule->setContentsMargins(11, 6, 11, 6);
    capsule->setSpacing(6);
    m_networkSymbol
        = new ZunoSymbolIcon(QStringLiteral("network"), ZunoFonts::system(11), m_accent, m_addressCapsule);
    capsule->addWidget(m_networkSymbol, 0, Qt::AlignVCenter);
    // A read-only field keeps a long address on one line, selectable and copyable.
    m_address = new QLineEdit(m_addressCapsule);
    m_address->setReadOnly(true);
    m_address->setFrame(false);
    m_address->setFont(ZunoFonts::monospaced(12, QFont::DemiBold));
    ZunoFocusRing::track(m_address);
    ZunoFocusRing::addOverlay(m_address, 4);
    capsule->addWidget(m_address, 1);
    addressRow->addWidget(m_addressCapsule, 1);
    m_copy = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), content);
    m_copy->setSymbol(QStringLiteral("doc.on.doc"));
    connect(m_copy, &ZunoButton::clicked, this, [this] { m_viewModel.copyRemoteURLToClipboard(); });
    addressRow->addWidget(m_copy);
    m_open = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), content);
    m_open->setSymbol(QStringLiteral("safari"));
    connect(m_open, &ZunoButton::clicked, this, [this] { m_viewModel.openRemoteURLInBrowser(); });
    addressRow->addWidget(m_open);
    column->addLayout(addressRow);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(new ZunoGlassCard(14, 16, content, this));

    connect(&m_viewModel, &CamStudioViewModel::remoteChanged, this, [this] { sync(); });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, [this] { sync(); });
    sync();
}

QString TeleprompterRemoteCardView::statusText() const
{
    return m_pill->text();
}

QColor TeleprompterRemoteCardView::statusColor() const
{
    return m_pill->color();
}

void TeleprompterRemoteCardView::sync()
{
    const bool running = m_viewModel.isRemoteServerRunning();
    m_symbol->setColor(running ? ZunoGlassTokens::success() : m_accent);
    m_title->setText(text(
        QStringLiteral("Phone / Browser LAN Remote"), QStringLiteral("Telefon / Tarayıcı LAN Kumandası")));
    m_subtitle->setText(text(
        QStringLiteral("Control Play/Pause, WPM, font & scripts from any phone on the same Wi-Fi"),
        QStringLiteral("Aynı Wi-Fi üzerindeki telefondan Başlat/Duraklat, hız, boyut ve senaryo yönetin")));
    m_pill->set(running ? text(QStringLiteral("LIVE"), QStringLiteral("AKTİF"))
                        : text(QStringLiteral("OFF"), QStringLiteral("KAPALI")),
        running ? ZunoGlassTokens::success() : ZunoGlassTokens::textMuted());
    m_startStop->setButtonStyle(std::make_shared<ZunoGlassButtonStyle>(running));
    m_startStop->setText(running ? text(QStringLiteral("Stop Remote"), QStringLiteral("Durdur"))
                                 : text(QStringLiteral("Start Remote"), QStringLiteral("Başlat")));
    m_startStop->setSymbol(
        running ? QStringLiteral("stop.circle.fill") : QStringLiteral("antenna.radiowaves.left.and.right"));

    // The address is never translated.
    if (m_address->text() != m_viewModel.remoteServerURL())
        m_address->setText(m_viewModel.remoteServerURL());
    m_address->setStyleSheet(
        QStringLiteral("QLineEdit { background: transparent; %1 }")
            .arg(studioTextCss(running ? ZunoGlassTokens::textPrimary() : ZunoGlassTokens::textMuted())));
    m_networkSymbol->setColor(running ? m_accent : ZunoGlassTokens::textMuted());
    QColor stroke = m_accent;
    stroke.setAlphaF(0.55);
    m_addressCapsule->setStyleSheet(
        QStringLiteral("QFrame#remoteAddress { background: rgba(0,0,0,0.3); border: 1px solid %1; "
                       "border-radius: 14px; }")
            .arg(studioCssColor(running ? stroke : ZunoGlassTokens::borderSubtle())));

    m_copy->setText(text(QStringLiteral("Copy URL"), QStringLiteral("Kopyala")));
    m_open->setText(text(QStringLiteral("Open in Browser"), QStringLiteral("Tarayıcıda Aç")));
    m_open->setEnabled(running);
}

QString TeleprompterRemoteCardView::text(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_viewModel.language());
}
