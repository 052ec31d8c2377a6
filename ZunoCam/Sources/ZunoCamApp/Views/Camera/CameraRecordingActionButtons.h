#pragma once

#include "ZunoLanguage.h"

#include <QWidget>

class CamStudioViewModel;
class QAbstractButton;
class ZunoButton;

// The record/stop button (its text and colours follow the recording: idle, recording with the elapsed
// time, finalizing and disabled) and the button that opens the recordings folder.
class CameraRecordingActionButtons : public QWidget {
    Q_OBJECT
public:
    explicit CameraRecordingActionButtons(CamStudioViewModel &viewModel, QWidget *parent = nullptr);

    // The record button's text for a state.
    static QString recordText(bool recording, bool finalizing, double seconds, ZunoLanguage language);

    QAbstractButton *recordButton() const { return m_record; }
    ZunoButton *folderButton() const { return m_folder; }

private:
    void sync();

    CamStudioViewModel &m_viewModel;
    QAbstractButton *m_record;
    ZunoButton *m_folder;
};
