#include "CameraRecorderError.h"

CameraRecorderError::CameraRecorderError(Case errorCase, const QString &message)
    : m_case(errorCase)
    , m_message(message)
{
    m_what = localizedDescription().toStdString();
}

CameraRecorderError CameraRecorderError::writerSetupFailed(const QString &message)
{
    return CameraRecorderError(Case::writerSetupFailed, message);
}

CameraRecorderError CameraRecorderError::writerFailed(
    const QString &message, int systemError, const QString &keptFile, bool indexWritten)
{
    CameraRecorderError error(Case::writerFailed, message);
    error.m_systemError = systemError;
    error.m_keptFile = keptFile;
    error.m_indexWritten = indexWritten;
    return error;
}

CameraRecorderError CameraRecorderError::alreadyRecording()
{
    return CameraRecorderError(Case::alreadyRecording, {});
}

CameraRecorderError CameraRecorderError::notRecording()
{
    return CameraRecorderError(Case::notRecording, {});
}

CameraRecorderError CameraRecorderError::invalidDimensions()
{
    return CameraRecorderError(Case::invalidDimensions, {});
}

CameraRecorderError CameraRecorderError::noFramesCaptured()
{
    return CameraRecorderError(Case::noFramesCaptured, {});
}

QString CameraRecorderError::localizedDescription() const
{
    switch (m_case) {
    case Case::writerSetupFailed:
        return QStringLiteral("Failed to initialize MP4 video writer: ") + m_message;
    case Case::writerFailed:
        return QStringLiteral("Failed to finalize MP4 video recording: ") + m_message;
    case Case::alreadyRecording:
        return QStringLiteral("A camera recording session is already in progress.");
    case Case::notRecording:
        return QStringLiteral("No active camera recording session to stop.");
    case Case::invalidDimensions:
        return QStringLiteral("Video frame dimensions are invalid for H.264 encoding.");
    case Case::noFramesCaptured:
        return QStringLiteral("No camera frames were captured before stopping the recording.");
    }
    return {};
}
