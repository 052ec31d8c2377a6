#pragma once

#include <QWidget>

class CamStudioViewModel;

// The live recording capsule: a glowing red dot, "REC " and the elapsed time, and the H.264 frame
// count. Both texts are the same in every language.
class CameraRecordingLiveBadge : public QWidget {
    Q_OBJECT
public:
    explicit CameraRecordingLiveBadge(CamStudioViewModel &viewModel, QWidget *parent = nullptr);

    QString timeText() const;
    QString framesText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CamStudioViewModel &m_viewModel;
};
