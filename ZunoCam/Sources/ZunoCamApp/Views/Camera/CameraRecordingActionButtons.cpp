#include "CameraRecordingActionButtons.h"

#include "CamStudioViewModel.h"
#include "CameraVideoRecorder.h"
#include "ZunoButton.h"
#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>

#include <cmath>

namespace {

// The record button, painted by itself: its fill, edge, symbol and font follow `recording`.
class RecordButton : public QAbstractButton {
public:
    static constexpr qreal kSpacing = 6;
    static constexpr qreal kPaddingX = 12;
    static constexpr qreal kPaddingY = 6;
    static constexpr qreal kRadius = 8;

    explicit RecordButton(QWidget *parent)
        : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        ZunoFocusRing::track(this);
    }

    void setRecording(bool recording)
    {
        m_recording = recording;
        setFont(recording ? ZunoFonts::monospaced(12.5, QFont::DemiBold)
                          : ZunoFonts::system(12.5, QFont::DemiBold));
        updateGeometry();
        update();
    }

    // The texts the button can show, each in its font: the button keeps the width of the widest, so
    // the row beside it stays where it is when the text changes.
    void setReservedTexts(const QList<std::pair<QString, QFont>> &texts)
    {
        m_reserved = texts;
        updateGeometry();
    }

    QSize sizeHint() const override
    {
        qreal width = this->width(text(), font());
        qreal height = 0;
        for (const auto &[reserved, reservedFont] : m_reserved) {
            width = std::max(width, this->width(reserved, reservedFont));
            height = std::max(height, this->height(reservedFont));
        }
        height = std::max(height, this->height(font()));
        return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
    }

    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled())
            painter.setOpacity(0.5);
        const QRectF box = rect();
        QColor fill = m_recording ? ZunoGlassTokens::danger() : ZunoGlassTokens::surface2();
        if (m_recording)
            fill.setAlphaF(0.85);
        painter.fillPath(ZunoContinuousShape::roundedRect(box, kRadius), fill);
        ZunoContinuousShape::strokeBorder(
            painter, box, kRadius, m_recording ? ZunoGlassTokens::danger() : ZunoGlassTokens::borderSubtle());
        const qreal side = ZunoSymbolRegistry::sideForFont(font());
        ZunoSymbolRegistry::paint(painter, QRectF(kPaddingX, (box.height() - side) / 2, side, side),
            m_recording ? QStringLiteral("stop.circle.fill") : QStringLiteral("record.circle"),
            m_recording ? QColor(Qt::white) : ZunoGlassTokens::danger());
        painter.setPen(Qt::white);
        painter.setFont(font());
        const qreal x = kPaddingX + side + kSpacing;
        painter.drawText(
            QRectF(x, 0, box.width() - x, box.height()), Qt::AlignLeft | Qt::AlignVCenter, text());
        painter.setOpacity(1);
        ZunoFocusRing::paintIfVisible(painter, this, box, kRadius);
    }

private:
    static qreal width(const QString &text, const QFont &font)
    {
        return kPaddingX * 2 + ZunoSymbolRegistry::sideForFont(font) + kSpacing
            + QFontMetricsF(font).horizontalAdvance(text);
    }

    static qreal height(const QFont &font)
    {
        return kPaddingY * 2 + std::max(ZunoSymbolRegistry::sideForFont(font), QFontMetricsF(font).height());
    }

    bool m_recording = false;
    QList<std::pair<QString, QFont>> m_reserved;
};

// The longest elapsed time reserved for: 99 hours, 59 minutes and 59 seconds.
constexpr double kLongestRecordingSeconds = 99 * 3600 + 59 * 60 + 59;

} // namespace

CameraRecordingActionButtons::CameraRecordingActionButtons(CamStudioViewModel &viewModel, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_record(new RecordButton(this))
    , m_folder(new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(m_record);
    row->addWidget(m_folder);
    m_folder->setSymbol(QStringLiteral("folder.fill"));

    connect(m_record, &QAbstractButton::clicked, this, [this] {
        if (m_viewModel.isRecordingVideo())
            m_viewModel.stopVideoRecording();
        else
            m_viewModel.startVideoRecording();
    });
    connect(m_folder, &ZunoButton::clicked, this, [this] { m_viewModel.openRecordingsFolder(); });
    connect(&m_viewModel, &CamStudioViewModel::recordingChanged, this, [this] { sync(); });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, [this] { sync(); });
    sync();
}

QString CameraRecordingActionButtons::recordText(
    bool recording, bool finalizing, double seconds, ZunoLanguage language)
{
    if (finalizing)
        return zunoText(QStringLiteral("Saving MP4…"), QStringLiteral("Kaydediliyor…"), language);
    if (recording) {
        const QString t = CameraVideoRecorder::formatDuration(seconds);
        return zunoText(QStringLiteral("Stop (● REC ") + t + QStringLiteral(")"),
            QStringLiteral("Durdur (● REC ") + t + QStringLiteral(")"), language);
    }
    return zunoText(QStringLiteral("Record MP4"), QStringLiteral("Kayıt Başlat"), language);
}

void CameraRecordingActionButtons::sync()
{
    const ZunoLanguage language = m_viewModel.language();
    const QFont idleFont = ZunoFonts::system(12.5, QFont::DemiBold);
    static_cast<RecordButton *>(m_record)->setReservedTexts({
        { recordText(false, false, 0, language), idleFont },
        { recordText(false, true, 0, language), idleFont },
        { recordText(true, false, kLongestRecordingSeconds, language),
            ZunoFonts::monospaced(12.5, QFont::DemiBold) },
    });
    m_record->setText(recordText(m_viewModel.isRecordingVideo(), m_viewModel.isFinalizingVideo(),
        m_viewModel.recordingDurationSeconds(), m_viewModel.language()));
    static_cast<RecordButton *>(m_record)->setRecording(m_viewModel.isRecordingVideo());
    m_record->setEnabled(!m_viewModel.isFinalizingVideo());
    m_folder->setText(zunoText(QStringLiteral("Open Recordings Folder"), QStringLiteral("Kayıt Klasörünü Aç"),
        m_viewModel.language()));
}
