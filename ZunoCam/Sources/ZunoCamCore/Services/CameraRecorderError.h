#pragma once

#include <QException>
#include <QString>

#include <string>

// The recorder's failures, each with a fixed English description. A QException, so that it travels
// through QFuture (and QtConcurrent) with its type intact.
class CameraRecorderError : public QException {
public:
    enum class Case {
        writerSetupFailed,
        writerFailed,
        alreadyRecording,
        notRecording,
        invalidDimensions,
        noFramesCaptured
    };

    static CameraRecorderError writerSetupFailed(const QString &message);
    // `systemError`: the errno behind it (ENOSPC, EFBIG), 0 when none; `keptFile`: the file that holds
    // what was recorded, left where it is (empty when nothing was recorded); `indexWritten`: that file
    // has an index players can open (its ordinary one, or its whole fragments' own).
    static CameraRecorderError writerFailed(
        const QString &message, int systemError = 0, const QString &keptFile = {}, bool indexWritten = false);
    static CameraRecorderError alreadyRecording();
    static CameraRecorderError notRecording();
    static CameraRecorderError invalidDimensions();
    static CameraRecorderError noFramesCaptured();

    Case errorCase() const { return m_case; }
    // The message carried by writerSetupFailed and writerFailed; empty for the others.
    QString message() const { return m_message; }
    int systemError() const { return m_systemError; }
    QString keptFile() const { return m_keptFile; }
    bool indexWritten() const { return m_indexWritten; }
    QString localizedDescription() const;

    const char *what() const noexcept override { return m_what.c_str(); }
    void raise() const override { throw *this; }
    CameraRecorderError *clone() const override { return new CameraRecorderError(*this); }

    bool operator==(const CameraRecorderError &other) const
    {
        return m_case == other.m_case && m_message == other.m_message && m_systemError == other.m_systemError
            && m_keptFile == other.m_keptFile && m_indexWritten == other.m_indexWritten;
    }

private:
    CameraRecorderError(Case errorCase, const QString &message);

    Case m_case;
    QString m_message;
    int m_systemError = 0;
    QString m_keptFile;
    bool m_indexWritten = false;
    std::string m_what;
};
