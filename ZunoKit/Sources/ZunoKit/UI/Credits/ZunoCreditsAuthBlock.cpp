#include "ZunoCreditsAuthBlock.h"

#include "ZunoActivityIndicator.h"
#include "ZunoButton.h"
#include "ZunoContinuousShape.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsAuthUIState.h"
#include "ZunoCreditsDisclosureButton.h"
#include "ZunoCreditsViewText.h"
#include "ZunoDesktopServices.h"
#include "ZunoFlowLayout.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoText.h"
#include "ZunoWebURL.h"
#include "ZunoWhileAlive.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The device user code: monospaced, bold, in the accent, on a `surface2` rounded rectangle.
class CodeLabel : public QLabel {
public:
    CodeLabel(const QColor &accent, QWidget *parent)
        : QLabel(parent)
    {
        setTextFormat(Qt::PlainText);
        setFont(ZunoFonts::monospaced(14, QFont::Bold));
        ZunoCreditsViewText::setColor(this, accent);
        setContentsMargins(10, 5, 10, 5);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(ZunoContinuousShape::roundedRect(rect(), 8), ZunoGlassTokens::surface2());
        painter.end();
        QLabel::paintEvent(event);
    }
};

std::shared_ptr<const ZunoButtonStyle> glass(bool active = false)
{
    return std::make_shared<ZunoGlassButtonStyle>(active);
}

QHBoxLayout *row(QWidget *parent, int spacing)
{
    auto *layout = new QHBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

void open(const std::optional<QUrl> &url)
{
    if (url)
        ZunoDesktopServices::shared()->openUrl(*url);
}

} // namespace

ZunoCreditsAuthBlock::ZunoCreditsAuthBlock(
    ZunoCreditsAccountStore &store, const QColor &accentColor, ZunoLanguage language, bool, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_accent(accentColor)
    , m_language(language)
    , m_state(new ZunoCreditsAuthUIState(this))
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    m_switch = new ZunoCreditsDisclosureButton(ZunoFonts::system(10, QFont::DemiBold),
        ZunoGlassTokens::textSecondary(), ZunoFonts::system(11, QFont::Medium),
        ZunoGlassTokens::textSecondary(), 6, this);
    stack->addWidget(m_switch);

    m_buttons = new QWidget(this);
    auto *buttons = new QVBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    stack->addWidget(m_buttons);

    m_browser = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), m_buttons);
    m_browser->setSymbol(QStringLiteral("safari"));
    buttons->addWidget(m_browser, 0, Qt::AlignLeading);

    m_pending = new QWidget(m_buttons);
    QHBoxLayout *pending = row(m_pending, 8);
    m_pendingSpinner = new ZunoActivityIndicator(ZunoActivityIndicator::Size::small, m_pending);
    m_pendingMessage = ZunoCreditsViewText::label(
        QString(), ZunoFonts::system(11), ZunoGlassTokens::textSecondary(), m_pending);
    m_pendingMessage->setWordWrap(true);
    m_openBrowser = new ZunoButton(QString(), glass(), m_pending);
    m_cancel = new ZunoButton(QString(), glass(), m_pending);
    pending->addWidget(m_pendingSpinner);
    pending->addWidget(m_pendingMessage, 1);
    pending->addWidget(m_openBrowser);
    pending->addWidget(m_cancel);
    buttons->addWidget(m_pending);

    m_deviceRow = new QWidget(m_buttons);
    QHBoxLayout *device = row(m_deviceRow, 8);
    m_code = new CodeLabel(accentColor, m_deviceRow);
    m_copy = new ZunoButton(QString(), glass(), m_deviceRow);
    m_openDevice = new ZunoButton(QString(), glass(), m_deviceRow);
    device->addWidget(m_code);
    device->addWidget(m_copy);
    device->addWidget(m_openDevice);
    device->addStretch(1);
    buttons->addWidget(m_deviceRow);

    m_other = new ZunoCreditsDisclosureButton(ZunoFonts::system(9.5, QFont::DemiBold),
        ZunoGlassTokens::textMuted(), ZunoFonts::system(11, QFont::Medium), ZunoGlassTokens::textSecondary(),
        5, m_buttons);
    buttons->addWidget(m_other);

    m_options = new QWidget(m_buttons);
    auto *flow = new ZunoFlowLayout(7, 7, m_options);
    m_deviceCode = new ZunoButton(QString(), glass(), m_options);
    m_deviceCode->setSymbol(QStringLiteral("qrcode"));
    m_connectionCode = new ZunoButton(QString(), glass(), m_options);
    m_connectionCode->setSymbol(QStringLiteral("key.fill"));
    flow->addWidget(m_deviceCode);
    flow->addWidget(m_connectionCode);
    buttons->addWidget(m_options);

    m_entry = new QWidget(m_buttons);
    QHBoxLayout *entry = row(m_entry, 6);
    m_token = zunoGlassInputField(new QLineEdit(m_entry), 8, 8, 6);
    m_token->setEchoMode(QLineEdit::Password);
    m_saveToken = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), m_entry);
    entry->addWidget(m_token, 1);
    entry->addWidget(m_saveToken);
    buttons->addWidget(m_entry);

    connect(m_switch, &QAbstractButton::clicked, this,
        [this] { m_state->setShowReconnectOptions(!m_state->showReconnectOptions()); });
    connect(m_browser, &QAbstractButton::clicked, this, [this] { m_store.startOneClickSignIn(); });
    connect(m_openBrowser, &QAbstractButton::clicked, this, [this] { open(m_connectURL); });
    connect(m_cancel, &QAbstractButton::clicked, this, [this] { m_store.cancelPendingSignIn(); });
    connect(m_copy, &QAbstractButton::clicked, this, [this] {
        if (!m_shownUserCode)
            return;
        QGuiApplication::clipboard()->setText(*m_shownUserCode);
        m_state->setCopiedCode(true);
    });
    connect(m_openDevice, &QAbstractButton::clicked, this, [this] { open(m_verificationURL); });
    connect(m_other, &QAbstractButton::clicked, this,
        [this] { m_state->setShowOtherOptions(!m_state->showOtherOptions()); });
    connect(m_deviceCode, &QAbstractButton::clicked, this, [this] { m_store.startDeviceSignIn(); });
    connect(m_connectionCode, &QAbstractButton::clicked, this,
        [this] { m_state->setShowManualToken(!m_state->showManualToken()); });
    connect(m_token, &QLineEdit::textEdited, m_state, &ZunoCreditsAuthUIState::setManualTokenInput);
    connect(m_saveToken, &QAbstractButton::clicked, this, &ZunoCreditsAuthBlock::saveConnectionCode);
    connect(m_state, &ZunoCreditsAuthUIState::changed, this, &ZunoCreditsAuthBlock::follow);
    connect(&m_store, &ZunoCreditsAccountStore::stateChanged, this, &ZunoCreditsAuthBlock::follow);

    updateTexts();
    follow();
}

QString ZunoCreditsAuthBlock::t(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_language);
}

QString ZunoCreditsAuthBlock::connectionCodePlaceholder() const
{
    const QString host = ZunoCreditsViewText::portalHost();
    return t(QStringLiteral("Paste ") + host + QStringLiteral(" connection code (vrk_\u2026)\u2026"),
        host + QStringLiteral(" bağlantı kodunu yapıştırın (vrk_\u2026)\u2026"));
}

void ZunoCreditsAuthBlock::setLanguage(ZunoLanguage language)
{
    m_language = language;
    updateTexts();
    follow();
}

void ZunoCreditsAuthBlock::saveConnectionCode()
{
    // The store trims the code itself.
    zunoThenWhileAlive(m_store.saveManualToken(m_state->manualTokenInput()), this, [this](bool signedIn) {
        if (!signedIn)
            return;
        ZunoCreditsAuthUIState *state = m_state;
        state->setManualTokenInput(QString());
        state->setShowManualToken(false);
        state->setShowOtherOptions(false);
        state->setShowReconnectOptions(false);
    });
}

void ZunoCreditsAuthBlock::updateTexts()
{
    m_switch->setTitle(t(QStringLiteral("Switch Account"), QStringLiteral("Hesap Değiştir")));
    m_browser->setText(t(
        QStringLiteral("Sign In via Browser \u2197"), QStringLiteral("Tarayıcı Üzerinden Giriş Yap \u2197")));
    m_openBrowser->setText(t(QStringLiteral("Open Browser \u2197"), QStringLiteral("Tarayıcıda Aç \u2197")));
    m_cancel->setText(t(QStringLiteral("Cancel"), QStringLiteral("İptal")));
    m_openDevice->setText(t(QStringLiteral("Open \u2197"), QStringLiteral("Aç \u2197")));
    m_other->setTitle(t(QStringLiteral("Other sign-in options (Device Code, Connection Code)"),
        QStringLiteral("Diğer giriş yöntemleri (Cihaz Kodu, Bağlantı Kodu)")));
    m_deviceCode->setText(t(QStringLiteral("Device Code"), QStringLiteral("Cihaz Koduyla Bağlan")));
    m_connectionCode->setText(t(QStringLiteral("Connection Code"), QStringLiteral("Bağlantı Kodu Gir")));
    m_token->setPlaceholderText(connectionCodePlaceholder());
    m_saveToken->setText(t(QStringLiteral("Save"), QStringLiteral("Kaydet")));
}

void ZunoCreditsAuthBlock::follow()
{
    const bool signedIn = m_store.isSignedIn();
    const bool signingIn = m_store.isSigningIn();
    const std::optional<ZunoDeviceSignInStart> &device = m_store.pendingDeviceSignIn();

    // A copy belongs to the code that was shown: a new code or none starts over.
    const std::optional<QString> userCode = device ? std::optional<QString>(device->userCode) : std::nullopt;
    if (userCode != m_shownUserCode) {
        m_shownUserCode = userCode;
        m_state->setCopiedCode(false);
    }

    m_switch->setVisible(signedIn);
    m_switch->setOpen(m_state->showReconnectOptions());
    m_buttons->setVisible(!signedIn || m_state->showReconnectOptions());

    m_browser->setEnabled(!signingIn);
    m_browser->setBusy(signingIn && !device);

    m_pending->setVisible(signingIn);
    m_pendingSpinner->setVisible(signingIn);
    m_pendingMessage->setText(device ? t(QStringLiteral("Waiting for device approval in browser\u2026"),
                                  QStringLiteral("Tarayıcıda cihaz onayı bekleniyor\u2026"))
                                     : t(QStringLiteral("Complete sign-in in your browser\u2026"),
                                         QStringLiteral("Tarayıcıda oturum açmayı tamamlayın\u2026")));
    m_connectURL.reset();
    if (!device && m_store.pendingConnectURL())
        m_connectURL = ZunoWebURL::parse(m_store.pendingConnectURL()->toString(QUrl::FullyEncoded));
    m_openBrowser->setVisible(m_connectURL.has_value());

    m_deviceRow->setVisible(device.has_value());
    m_verificationURL.reset();
    if (device) {
        m_code->setText(device->userCode);
        m_verificationURL = ZunoWebURL::parse(device->verificationURIComplete);
        if (!m_verificationURL)
            m_verificationURL = ZunoWebURL::parse(device->verificationURI);
    }
    m_copy->setText(m_state->copiedCode() ? t(QStringLiteral("Copied"), QStringLiteral("Kopyalandı"))
                                          : t(QStringLiteral("Copy"), QStringLiteral("Kopyala")));
    m_openDevice->setVisible(m_verificationURL.has_value());

    m_other->setOpen(m_state->showOtherOptions());
    m_options->setVisible(m_state->showOtherOptions());
    m_deviceCode->setEnabled(!signingIn);
    if (static_cast<const ZunoGlassButtonStyle &>(m_connectionCode->buttonStyle()).isActive()
        != m_state->showManualToken())
        m_connectionCode->setButtonStyle(glass(m_state->showManualToken()));
    m_entry->setVisible(m_state->showOtherOptions() && m_state->showManualToken());
    if (m_token->text() != m_state->manualTokenInput())
        m_token->setText(m_state->manualTokenInput());
    m_saveToken->setEnabled(!m_state->manualTokenInput().trimmed().isEmpty());
}
