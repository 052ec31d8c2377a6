#include "CamStudioQuitGuard.h"

#include "CamStudioViewModel.h"
#include "ZunoAppLogger.h"
#include "ZunoTerminationSignals.h"
#include "ZunoText.h"

#include <QCoreApplication>
#include <QEvent>

CamStudioQuitGuard::CamStudioQuitGuard(
    CamStudioViewModel &viewModel, ZunoTerminationSignals *terminationSignals, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
{
    QCoreApplication::instance()->installEventFilter(this);
    if (terminationSignals)
        connect(terminationSignals, &ZunoTerminationSignals::terminationRequested, this,
            &CamStudioQuitGuard::onTerminationSignal);
    connect(&viewModel, &CamStudioViewModel::recordingChanged, this, &CamStudioQuitGuard::checkFinished);
}

CamStudioQuitGuard::~CamStudioQuitGuard()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool CamStudioQuitGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance() || m_passing)
        return QObject::eventFilter(watched, event);
    if (m_waiting)
        return true; // already finishing; further requests change nothing
    if (!m_viewModel.isRecordingVideo() && !m_viewModel.isFinalizingVideo())
        return false;
    m_waiting = true;
    m_viewModel.showToast(zunoText(QStringLiteral("Finishing the recording before quitting…"),
                              QStringLiteral("Çıkmadan önce kayıt tamamlanıyor…"), m_viewModel.language()),
        false);
    m_bound = m_viewModel.clock().singleShot(kBoundSeconds, [this] { expire(); });
    // A stop already under way is waited for; otherwise this starts one.
    m_viewModel.stopVideoRecording();
    checkFinished();
    return true;
}

void CamStudioQuitGuard::onTerminationSignal()
{
    if (m_waiting)
        expire();
    else
        QCoreApplication::quit();
}

void CamStudioQuitGuard::checkFinished()
{
    if (m_waiting && !m_viewModel.isRecordingVideo() && !m_viewModel.isFinalizingVideo())
        letQuitThrough();
}

void CamStudioQuitGuard::expire()
{
    if (!m_waiting)
        return;
    m_boundExpired = true;
    m_viewModel.logger().error(
        QStringLiteral("Quit while the MP4 recording was still being finished; the file may be incomplete."),
        CamStudioViewModel::kRecorderCategory);
    letQuitThrough();
}

void CamStudioQuitGuard::letQuitThrough()
{
    m_waiting = false;
    m_bound.reset();
    m_passing = true;
    QCoreApplication::quit();
}
