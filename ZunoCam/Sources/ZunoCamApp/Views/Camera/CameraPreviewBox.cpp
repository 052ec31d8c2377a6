#include "CameraPreviewBox.h"

#include "CamStudioViewModel.h"
#include "CameraImageKernels.h"
#include "CameraRecordingLiveBadge.h"
#include "FramingRuleOfThirdsGridView.h"
#include "StudioTabPage.h"
#include "ZunoButton.h"
#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSymbolIcon.h"
#include "ZunoText.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The lower-third plate: name over title on a dark continuous rounded rectangle edged in the accent.
class Nameplate : public QWidget {
public:
    static constexpr qreal kRadius = 10;

    Nameplate(const QColor &accent, QWidget *parent)
        : QWidget(parent)
        , m_accent(accent)
    {
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(
            ZunoContinuousShape::roundedRect(rect(), kRadius), ZunoGlassTokens::withAlpha(Qt::black, 0.72));
        ZunoContinuousShape::strokeBorder(
            painter, rect(), kRadius, ZunoGlassTokens::withAlpha(m_accent, 0.65));
    }

private:
    QColor m_accent;
};

} // namespace

CameraPreviewBox::CameraPreviewBox(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
    , m_placeholder(new QWidget(this))
    , m_placeholderText(new QLabel(m_placeholder))
    , m_startButton(new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), m_placeholder))
    , m_grid(new FramingRuleOfThirdsGridView(this))
    , m_badge(new CameraRecordingLiveBadge(viewModel, this))
    , m_nameplate(new Nameplate(accent, this))
    , m_name(new QLabel(m_nameplate))
    , m_title(new QLabel(m_nameplate))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(240, 135);

    auto *placeholder = new QVBoxLayout(m_placeholder);
    placeholder->setSpacing(12);
    placeholder->addStretch(1);
    placeholder->addWidget(new ZunoSymbolIcon(QStringLiteral("camera.aperture"), ZunoFonts::system(46),
                               ZunoGlassTokens::withAlpha(accent, 0.8), m_placeholder),
        0, Qt::AlignHCenter);
    m_placeholderText->setFont(ZunoFonts::system(13.5, QFont::DemiBold));
    m_placeholderText->setStyleSheet(studioTextCss(ZunoGlassTokens::textPrimary()));
    m_placeholderText->setAlignment(Qt::AlignCenter);
    m_placeholderText->setWordWrap(true);
    placeholder->addWidget(m_placeholderText);
    placeholder->addWidget(m_startButton, 0, Qt::AlignHCenter);
    placeholder->addStretch(1);
    connect(m_startButton, &ZunoButton::clicked, this, [this] { m_viewModel.toggleCameraPreview(); });

    auto *plate = new QVBoxLayout(m_nameplate);
    plate->setContentsMargins(14, 8, 14, 8);
    plate->setSpacing(2);
    for (QLabel *label : { m_name, m_title })
        label->setTextFormat(Qt::PlainText);
    m_name->setFont(ZunoFonts::system(14, QFont::Bold));
    m_name->setStyleSheet(QStringLiteral("color: white;"));
    m_title->setFont(ZunoFonts::system(11, QFont::DemiBold));
    m_title->setStyleSheet(studioTextCss(accent));
    plate->addWidget(m_name);
    plate->addWidget(m_title);

    connect(&m_viewModel, &CamStudioViewModel::frameChanged, this, [this] {
        // Nothing is painted for a hidden tab; a new frame size moves the overlays.
        if (!isVisible())
            return;
        if (m_viewModel.latestCameraFrame().size() != m_lastFrameSize)
            sync();
        update();
    });
    for (auto signal : { &CamStudioViewModel::cameraRunningChanged, &CamStudioViewModel::recordingChanged,
             &CamStudioViewModel::cameraAdjustmentsChanged, &CamStudioViewModel::languageChanged })
        connect(&m_viewModel, signal, this, [this] { sync(); });
    sync();
}

bool CameraPreviewBox::isLive() const
{
    return m_viewModel.isCameraRunning() && !m_viewModel.latestCameraFrame().isNull();
}

QRectF CameraPreviewBox::fittedRect(const QSizeF &image, const QRectF &box)
{
    if (image.isEmpty() || box.isEmpty())
        return {};
    const QSizeF fitted = image.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.x() + (box.width() - fitted.width()) / 2,
        box.y() + (box.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

QRectF CameraPreviewBox::pictureRect() const
{
    if (!isLive())
        return {};
    return fittedRect(m_viewModel.latestCameraFrame().size(), rect());
}

void CameraPreviewBox::sync()
{
    const ZunoLanguage language = m_viewModel.language();
    m_placeholderText->setText(zunoText(QStringLiteral("Start Pre-Meeting Camera Mirror & Color Studio"),
        QStringLiteral("Toplantı Öncesi Kamera Aynası ve Renk Stüdyosunu Başlat"), language));
    const bool starting = m_viewModel.isCameraStarting();
    m_startButton->setText(starting
            ? zunoText(QStringLiteral("Opening Camera…"), QStringLiteral("Kamera Açılıyor…"), language)
            : zunoText(QStringLiteral("Start Live Camera"), QStringLiteral("Kamerayı Başlat"), language));
    m_startButton->setEnabled(!starting);
    const CameraAdjustments &camera = m_viewModel.camera();
    m_name->setText(camera.lowerThirdName);
    m_title->setText(camera.lowerThirdTitle);
    m_lastFrameSize = m_viewModel.latestCameraFrame().size();

    const bool live = isLive();
    m_placeholder->setVisible(!live);
    m_grid->setVisible(live && camera.showFramingGrid);
    m_badge->setVisible(live && m_viewModel.isRecordingVideo());
    m_nameplate->setVisible(live && camera.showLowerThird);
    placeOverlays();
    update();
}

void CameraPreviewBox::placeOverlays()
{
    m_placeholder->setGeometry(rect());
    const QRect picture = pictureRect().toAlignedRect();
    m_grid->setGeometry(picture);
    m_badge->adjustSize();
    m_badge->move(picture.topLeft() + QPoint(kBadgeInset, kBadgeInset));
    m_nameplate->adjustSize();
    m_nameplate->move(
        picture.left() + kNameplateInset, picture.bottom() + 1 - kNameplateInset - m_nameplate->height());
}

void CameraPreviewBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOverlays();
}

const QImage &CameraPreviewBox::scaledFrame(const QSize &pixels, qreal ratio)
{
    // Scaled once per frame and box size, with the frame road's own bilinear kernel, so a paint is a
    // plain copy; painting the 1280 x 720 frame smoothly scaled costs several times more on every paint.
    const QImage &frame = m_viewModel.latestCameraFrame();
    if (m_scaledFrom == frame.cacheKey() && m_scaled.size() == pixels && m_scaled.devicePixelRatio() == ratio)
        return m_scaled;
    m_scaledFrom = frame.cacheKey();
    m_scaled = {};
    const CameraPixelBuffer source = CameraPixelBuffer::fromQImage(frame);
    if (source.isNull() || source.format() != CameraPixelBuffer::Format::BGRA8 || pixels.isEmpty())
        return m_scaled;
    if (m_scaledPixels.isNull() || m_scaledPixels.width() != pixels.width()
        || m_scaledPixels.height() != pixels.height() || !m_scaledPixels.isDetached())
        m_scaledPixels = CameraPixelBuffer(pixels.width(), pixels.height());
    CameraImageKernels::cropAndScale(source, QRectF(0, 0, source.width(), source.height()), pixels.width(),
        pixels.height(), m_scaledPixels);
    // The camera's frames are opaque: the copy is painted as such.
    m_scaled = QImage(m_scaledPixels.constBits(), m_scaledPixels.width(), m_scaledPixels.height(),
        m_scaledPixels.bytesPerRow(), QImage::Format_RGB32);
    m_scaled.setDevicePixelRatio(ratio);
    return m_scaled;
}

void CameraPreviewBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(
        ZunoContinuousShape::roundedRect(rect(), kRadius), ZunoGlassTokens::withAlpha(Qt::black, 0.45));
    if (!isLive())
        return;
    const QRectF picture = pictureRect();
    const qreal ratio = devicePixelRatioF();
    // Whole device pixels, so the copy lands on the pixel grid unscaled.
    const QRectF device(picture.topLeft() * ratio, picture.size() * ratio);
    const QRect pixels(device.topLeft().toPoint(), device.size().toSize());
    const QImage &scaled = scaledFrame(pixels.size(), ratio);
    if (scaled.isNull())
        return;
    painter.setClipPath(ZunoContinuousShape::roundedRect(picture, kRadius));
    painter.drawImage(QPointF(pixels.topLeft()) / ratio, scaled);
    ++m_paintedFrames;
}
