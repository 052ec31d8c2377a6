// Renders the design components on the deepCoral ground for a visual check: the nine palettes, the
// glass card, both button styles (idle, active, pressed, with a symbol), success and error toasts,
// a flow layout, glass input fields, version badges, the text styles, every registered symbol, the
// studio's header bar in English, Turkish and Arabic, the language pickers and the brand marks.
//
//   DesignGallery [output.png [language]]     (default: ./design-gallery.png; offscreen unless
//   QT_QPA_PLATFORM says otherwise)
//   DesignGallery --version-logs FOLDER       the version badge button and its sheet, English and Turkish
// The focus ring row shows each kind of control as the keyboard's Tab leaves it.

#include "GalleryWidgets.h"
#include "VersionLogsGallery.h"
#include "ZunoAppVersion.h"
#include "ZunoBrandMark.h"
#include "ZunoButton.h"
#include "ZunoContinuousShape.h"
#include "ZunoFlowLayout.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoLanguageMenuButton.h"
#include "ZunoLanguagePicker.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSegmentedControl.h"
#include "ZunoSymbolButton.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"
#include "ZunoToastBanner.h"
#include "ZunoToolCommandLine.h"
#include "ZunoUnifiedHeaderBar.h"
#include "ZunoUnifiedTitlebarWindow.h"
#include "ZunoVersionBadge.h"
#include "ZunoWindowControls.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr ZunoProductPalette kGround = ZunoProductPalette::deepCoral;
using Gallery::HeaderPreview;
using Gallery::text;

QLabel *caption(const QString &text, QWidget *parent = nullptr)
{
    auto *label = new QLabel(text, parent);
    label->setFont(ZunoFonts::style(ZunoTextStyle::caption, QFont::DemiBold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ZunoGlassTokens::textMuted());
    label->setPalette(palette);
    return label;
}

// A swatch of a palette: its ground with the accent as a dot.
class PaletteSwatch : public QWidget {
public:
    explicit PaletteSwatch(ZunoProductPalette palette)
        : m_palette(palette)
    {
        setFixedSize(92, 58);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(ZunoContinuousShape::roundedRect(rect(), 10));
        ZunoGroundBackground::paint(painter, rect(), m_palette);
        painter.setClipping(false);
        ZunoContinuousShape::strokeBorder(painter, rect(), 10, ZunoGlassTokens::borderSubtle());
        painter.setBrush(ZunoProductPalettes::accentColor(m_palette));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(width() - 22, 8, 14, 14));
        painter.setPen(ZunoGlassTokens::textSecondary());
        painter.setFont(ZunoFonts::system(9.5, QFont::Medium));
        painter.drawText(rect().adjusted(8, 0, -4, -7), Qt::AlignLeft | Qt::AlignBottom, rawValue(m_palette));
    }

private:
    ZunoProductPalette m_palette;
};

// Every registered symbol, with its name.
class SymbolSheet : public QWidget {
public:
    SymbolSheet()
    {
        const int rows = (ZunoSymbolRegistry::names().size() + kColumns - 1) / kColumns;
        setFixedSize(kColumns * kCellWidth, rows * kCellHeight);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(ZunoFonts::system(8.5));
        const QStringList names = ZunoSymbolRegistry::names();
        for (int i = 0; i < names.size(); ++i) {
            const QRectF cell(
                (i % kColumns) * kCellWidth, (i / kColumns) * kCellHeight, kCellWidth, kCellHeight);
            ZunoSymbolRegistry::paint(painter, QRectF(cell.center().x() - 10, cell.top() + 2, 20, 20),
                names[i], ZunoGlassTokens::textPrimary());
            painter.setPen(ZunoGlassTokens::textMuted());
            const QString name = painter.fontMetrics().elidedText(names[i], Qt::ElideMiddle, kCellWidth - 4);
            painter.drawText(cell.adjusted(2, 24, -2, 0), Qt::AlignHCenter | Qt::AlignTop, name);
        }
    }

private:
    static constexpr int kColumns = 8;
    static constexpr int kCellWidth = 118;
    static constexpr int kCellHeight = 40;
};

ZunoButton *primary(const QString &label, const QString &symbol = {})
{
    auto *button = new ZunoButton(label, std::make_shared<ZunoPrimaryButtonStyle>());
    button->setSymbol(symbol);
    return button;
}

ZunoButton *glass(const QString &label, bool active, const QString &symbol = {})
{
    auto *button = new ZunoButton(label, std::make_shared<ZunoGlassButtonStyle>(active));
    button->setSymbol(symbol);
    return button;
}

// Holds a button down and lets its press animation finish, so the picture shows the pressed state.
void pressAndSettle(ZunoButton *button)
{
    button->setDown(true);
    button->repaint();
    const QVariantAnimation *animation = button->pressAnimation();
    if (animation->state() == QAbstractAnimation::Running) {
        QEventLoop loop;
        QObject::connect(animation, &QVariantAnimation::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

QWidget *row(std::initializer_list<QWidget *> widgets, int spacing = 10)
{
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget *widget : widgets)
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addStretch();
    return holder;
}

// A rendered picture as a widget of the page.
QLabel *picture(const QImage &image)
{
    auto *label = new QLabel;
    label->setPixmap(QPixmap::fromImage(image));
    label->setFixedSize(image.size() / image.devicePixelRatio());
    return label;
}

// The control alone on the ground in a window of its own, holding the keyboard's focus.
QImage focusedPicture(QWidget *control, QWidget *focusTarget)
{
    ZunoGroundBackground host(kGround);
    auto *layout = new QHBoxLayout(&host);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(control);
    host.show();
    host.activateWindow();
    QElapsedTimer waited;
    waited.start();
    while (QGuiApplication::focusWindow() != host.windowHandle() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    // Focus that came with the window's activation is not the keyboard's: give it again by Tab.
    focusTarget->clearFocus();
    focusTarget->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    if (!ZunoFocusRing::isVisible(focusTarget))
        std::fprintf(stderr, "no focus ring on %s\n", focusTarget->metaObject()->className());
    return host.grab().toImage();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZunoFonts::applyApplicationFont();
    const char *usage
        = "usage: DesignGallery [OUTPUT.png [LANGUAGE]]   the design system on one page "
          "(default design-gallery.png, en)\n"
          "       DesignGallery --version-logs FOLDER     the version and logs sheet's states\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, { "--version-logs=" }))
        return *exitCode;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == QLatin1String("--version-logs")) {
        if (arguments.size() != 3) {
            std::fputs(usage, stderr);
            return 2;
        }
        return renderVersionLogsGallery(arguments.at(2));
    }
    const QString output = arguments.value(1, QStringLiteral("design-gallery.png"));
    const ZunoLanguage language
        = ZunoLanguages::fromRawValue(arguments.value(2, QStringLiteral("en"))).value_or(ZunoLanguage::en);
    // The studio's own texts, as its views show them.
    auto t = [language](const char *en, const char *tr) {
        return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
    };

    ZunoGroundBackground ground(kGround);
    auto *page = new QVBoxLayout(&ground);
    page->setContentsMargins(28, 24, 28, 28);
    page->setSpacing(10);

    page->addWidget(caption(QStringLiteral("PRODUCT PALETTES")));
    auto *palettes = new QHBoxLayout;
    palettes->setSpacing(8);
    for (ZunoProductPalette palette : ZunoProductPalettes::allCases())
        palettes->addWidget(new PaletteSwatch(palette));
    palettes->addStretch();
    page->addLayout(palettes);

    // Buttons, idle and pressed.
    page->addWidget(
        caption(QStringLiteral("PRIMARY BUTTON — idle, pressed, with symbol, pressed with symbol")));
    ZunoButton *primaryPressed = primary(t("Start Live Camera", "Kamerayı Başlat"));
    ZunoButton *primarySymbolPressed
        = primary(t("Stop Camera", "Kamerayı Durdur"), QStringLiteral("video.slash.fill"));
    page->addWidget(row({ primary(t("Start Live Camera", "Kamerayı Başlat")), primaryPressed,
        primary(t("Start Camera", "Kamerayı Başlat"), QStringLiteral("video.fill")), primarySymbolPressed }));
    page->addWidget(
        caption(QStringLiteral("GLASS BUTTON — idle, active, idle pressed, active pressed, with symbol")));
    ZunoButton *glassPressed = glass(t("Snapshot", "Fotoğraf"), false);
    ZunoButton *glassActivePressed = glass(t("Deep Sea Cinema", "Derin Deniz Sinema"), true);
    page->addWidget(row({ glass(t("Snapshot", "Fotoğraf"), false),
        glass(t("Deep Sea Cinema", "Derin Deniz Sinema"), true), glassPressed, glassActivePressed,
        glass(t("Copy URL", "Kopyala"), false, QStringLiteral("doc.on.doc")),
        glass(t("Open Recordings Folder", "Kayıt Klasörünü Aç"), true, QStringLiteral("folder.fill")) }));

    // A card holding a flow layout of chips and the input fields.
    page->addWidget(caption(QStringLiteral("GLASS CARD (padding 16, radius 14) — flow layout (spacing 8, "
                                           "line spacing 6), input fields, badges")));
    auto *cardContent = new QWidget;
    // A fixed width, so that the chips wrap into rows.
    cardContent->setFixedWidth(640);
    auto *cardLayout = new QVBoxLayout(cardContent);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    cardLayout->setSpacing(10);
    cardLayout->addWidget(
        text(t("Scripts", "Senaryolar"), ZunoFonts::system(13, QFont::Bold), ZunoGlassTokens::textPrimary()));
    auto *chips = new QWidget;
    auto *flow = new ZunoFlowLayout(8, 6, chips);
    const std::pair<const char *, const char *> chipNames[] = { { "Natural", "Doğal" },
        { "Deep Sea Cinema", "Derin Deniz Sinema" }, { "Warm Studio", "Sıcak Stüdyo" },
        { "Crisp Daylight", "Net Gün Işığı" }, { "Noir Mono", "Siyah Beyaz" },
        { "Soft Blur", "Hafif Bulanık" }, { "Strong Blur", "Güçlü Bulanık" },
        { "Studio Dim", "Stüdyo Karartma" }, { "Fading Laser", "Sönen Lazer" },
        { "Freehand Pen", "Sunum Kalemi" }, { "Arrow Pointer", "Ok İşareti" } };
    int index = 0;
    for (const auto &[en, tr] : chipNames)
        flow->addWidget(glass(t(en, tr), index++ == 1));
    cardLayout->addWidget(chips);
    auto *empty = zunoGlassInputField(new QLineEdit, 8, 10, 7);
    empty->setPlaceholderText(t(
        "Search models (ChatGPT, Claude, Gemini, free…)", "Model ara (ChatGPT, Claude, Gemini, ücretsiz…)"));
    empty->setFixedWidth(260);
    auto *filled = zunoGlassInputField(new QLineEdit(QStringLiteral("Quarterly review script")), 8, 10, 7);
    filled->setFixedWidth(200);
    auto *secret = zunoGlassInputField(new QLineEdit(QStringLiteral("secret")), 8, 10, 7);
    secret->setEchoMode(QLineEdit::Password);
    secret->setFixedWidth(150);
    cardLayout->addWidget(row({ empty, filled, secret }));
    const ZunoAppVersion version { QStringLiteral("1.0.0"), QStringLiteral("100") };
    cardLayout->addWidget(
        row({ new ZunoVersionBadge(version, false), new ZunoVersionBadge(version, true) }, 8));
    auto *card = new ZunoGlassCard(16, 14, cardContent, nullptr);
    page->addWidget(row({ card }));

    page->addWidget(
        caption(QStringLiteral("FOCUS RING — as Tab leaves it: primary and glass buttons, "
                               "segmented control, symbol button, input field, language picker")));
    {
        auto *segmented
            = new ZunoSegmentedControl({ t("None", "Yok"), t("Blur", "Bulanık"), t("Image", "Görsel") });
        auto *field = zunoGlassInputField(new QLineEdit(t("Quarterly review", "Çeyrek sunumu")), 8, 10, 7);
        field->setFixedWidth(200);
        auto *languagePicker = new ZunoLanguagePicker(std::nullopt, language, false);
        QWidget *controls[] = { primary(t("Start Live Camera", "Kamerayı Başlat")),
            glass(t("Copy URL", "Kopyala"), false, QStringLiteral("doc.on.doc")), segmented,
            new ZunoSymbolButton(QStringLiteral("xmark.circle.fill"), 18, ZunoGlassTokens::textSecondary()),
            field, languagePicker };
        auto *pictures = new QWidget;
        auto *pictureRow = new QHBoxLayout(pictures);
        pictureRow->setContentsMargins(0, 0, 0, 0);
        pictureRow->setSpacing(10);
        for (QWidget *control : controls) {
            QWidget *target = control == languagePicker ? languagePicker->findChild<QComboBox *>() : control;
            // The host window takes the control and deletes it with itself.
            pictureRow->addWidget(picture(focusedPicture(control, target)));
        }
        pictureRow->addStretch();
        page->addWidget(pictures);
    }

    page->addWidget(caption(QStringLiteral("TOAST BANNER — success, error")));
    page->addWidget(row({ new ZunoToastBanner(QStringLiteral("Saved ZunoCam-20260101-120000.mp4"), false),
                            new ZunoToastBanner(QStringLiteral("Camera access was denied"), true) },
        0));

    page->addWidget(caption(QStringLiteral("TEXT STYLES — Inter; JetBrains Mono")));
    auto *styles = new QHBoxLayout;
    styles->setSpacing(14);
    const std::pair<ZunoTextStyle, const char *> ramp[] = {
        { ZunoTextStyle::largeTitle, "Large Title" },
        { ZunoTextStyle::title, "Title" },
        { ZunoTextStyle::title2, "Title 2" },
        { ZunoTextStyle::title3, "Title 3" },
        { ZunoTextStyle::headline, "Headline" },
        { ZunoTextStyle::body, "Body" },
        { ZunoTextStyle::callout, "Callout" },
        { ZunoTextStyle::subheadline, "Subheadline" },
        { ZunoTextStyle::footnote, "Footnote" },
        { ZunoTextStyle::caption, "Caption" },
        { ZunoTextStyle::caption2, "Caption 2" },
    };
    for (const auto &[style, name] : ramp)
        styles->addWidget(
            text(QString::fromUtf8(name), ZunoFonts::style(style), ZunoGlassTokens::textPrimary()), 0,
            Qt::AlignBottom);
    styles->addWidget(text(QStringLiteral("00:42 · v1.0.0"), ZunoFonts::monospaced(12, QFont::DemiBold),
                          ZunoGlassTokens::textSecondary()),
        0, Qt::AlignBottom);
    styles->addStretch();
    page->addLayout(styles);

    page->addWidget(
        caption(QStringLiteral("HEADER BAR — English (GNOME's default: close alone), Turkish "
                               "(three buttons on the left), Arabic (right to left, three buttons "
                               "on the right)")));
    const ZunoWindowButtonLayout closeOnly
        = ZunoWindowButtonLayout::fromGnome(QStringLiteral("appmenu:close"));
    const ZunoWindowButtonLayout left
        = ZunoWindowButtonLayout::fromGnome(QStringLiteral("close,minimize,maximize:"));
    const ZunoWindowButtonLayout right
        = ZunoWindowButtonLayout::fromGnome(QStringLiteral("appmenu:minimize,maximize,close"));
    const std::pair<ZunoLanguage, ZunoWindowButtonLayout> headers[]
        = { { ZunoLanguage::en, closeOnly }, { ZunoLanguage::tr, left }, { ZunoLanguage::ar, right } };
    for (const auto &[headerLanguage, controls] : headers) {
        HeaderPreview preview(headerLanguage, controls);
        preview.show();
        QCoreApplication::processEvents();
        page->addWidget(picture(preview.grab().toImage()));
    }

    // The controls up close, three times their size: the pointer over minimise and maximise pressed;
    // then a maximised window's, whose maximise shows restore.
    page->addWidget(caption(QStringLiteral("WINDOW CONTROLS ×3 — pointer over minimise, maximise pressed; "
                                           "a maximised window")));
    auto *details = new QHBoxLayout;
    details->setSpacing(16);
    for (bool maximized : { false, true }) {
        HeaderPreview preview(ZunoLanguage::en, right);
        if (maximized)
            preview.showMaximized();
        else
            preview.show();
        QCoreApplication::processEvents();
        auto *group
            = ZunoUnifiedTitlebarWindow::find(&preview)->controls(ZunoWindowButtonLayout::Side::right);
        if (!maximized) {
            group->button(ZunoWindowButtonLayout::Button::minimize)->setAttribute(Qt::WA_UnderMouse, true);
            group->button(ZunoWindowButtonLayout::Button::maximize)->setDown(true);
        }
        const QImage detail = preview.grab(QRect(group->x() - 14, 0, group->width() + 28, 52)).toImage();
        details->addWidget(
            picture(detail.scaled(detail.size() * 3, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    details->addStretch();
    page->addLayout(details);

    page->addWidget(
        caption(QStringLiteral("LANGUAGE PICKER — English, Turkish, Arabic; BRAND MARKS — suite logo "
                               "64 and 32, current application, application emblem")));
    auto *pickers = new QHBoxLayout;
    pickers->setSpacing(16);
    for (ZunoLanguage pickerLanguage : { ZunoLanguage::en, ZunoLanguage::tr, ZunoLanguage::ar }) {
        auto *picker = new ZunoLanguagePicker(std::nullopt, pickerLanguage, true);
        zunoContentLayoutDirection(picker, pickerLanguage);
        QPalette labelPalette = picker->palette();
        labelPalette.setColor(QPalette::WindowText, ZunoGlassTokens::textPrimary());
        picker->setPalette(labelPalette);
        pickers->addWidget(picker, 0, Qt::AlignVCenter);
    }
    pickers->addWidget(new ZunoBrandMark(64, ZunoBrandMarkStyle::tindrelSuite()), 0, Qt::AlignVCenter);
    pickers->addWidget(new ZunoBrandMark(32, ZunoBrandMarkStyle::tindrelSuite()), 0, Qt::AlignVCenter);
    pickers->addWidget(new ZunoBrandMark(48, ZunoBrandMarkStyle::currentApp()), 0, Qt::AlignVCenter);
    pickers->addWidget(
        new ZunoBrandMark(48, ZunoBrandMarkStyle::app(ZunoAppIdentity::zunoStudio)), 0, Qt::AlignVCenter);
    pickers->addStretch();
    page->addLayout(pickers);

    page->addWidget(caption(QStringLiteral("SYMBOLS — every name of the registry")));
    page->addWidget(new SymbolSheet);
    page->addStretch();

    // The flow layout's height depends on its width, so the page is as tall as its width needs.
    const int pageWidth = std::max(1000, ground.sizeHint().width());
    ground.resize(pageWidth,
        ground.hasHeightForWidth() ? ground.heightForWidth(pageWidth) : ground.sizeHint().height());
    ground.show();
    QCoreApplication::processEvents();
    pressAndSettle(primaryPressed);
    pressAndSettle(primarySymbolPressed);
    pressAndSettle(glassPressed);
    pressAndSettle(glassActivePressed);

    const QImage image = ground.grab().toImage();
    if (!image.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s (%dx%d)\n", qPrintable(output), image.width(), image.height());
    const QStringList unknown = ZunoSymbolRegistry::unknownNamesRequested();
    if (!unknown.isEmpty()) {
        std::fprintf(stderr, "symbols without an icon: %s\n", qPrintable(unknown.join(QStringLiteral(", "))));
        return 1;
    }
    return 0;
}
