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

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        const qreal side = ZunoSymbolRegistry::sideForFont(font());
        const qreal width = kPaddingX * 2 + side + kSpacing + metrics.horizontalAdvance(text());
        const qreal height = kPaddingY * 2 + std::max(side, metrics.height());
        return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
    }

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
    bool m_recording = false;
};

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
    m_record->setText(recordText(m_viewModel.isRecordingVideo(), m_viewModel.isFinalizingVideo(),
        m_viewModel.recordingDurationSeconds(), m_viewModel.language()));
    static_cast<RecordButton *>(m_record)->setRecording(m_viewModel.isRecordingVideo());
    m_record->setEnabled(!m_viewModel.isFinalizingVideo());
    m_folder->setText(zunoText(QStringLiteral("Open Recordings Folder"), QStringLiteral("Kayıt Klasörünü Aç"),
        m_viewModel.language()));
}
