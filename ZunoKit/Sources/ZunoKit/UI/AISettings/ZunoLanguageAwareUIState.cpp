#include "ZunoLanguageAwareUIState.h"

#include "ZunoLanguage.h"
#include "ZunoMainThread.h"

ZunoLanguageAwareUIState::ZunoLanguageAwareUIState(QObject *parent)
    : QObject(parent)
{
    // The observer runs on the poster's thread: it only queues the increment, which the main thread
    // drops when this object is gone by then.
    m_observer = ZunoNotificationCenter::shared().addObserver(
        QString::fromLatin1(ZunoLanguages::kLanguageDidChangeNotification), this,
        [this](const QString &, const QVariant &) {
            ZunoMainThread::post(this, [this] {
                ++m_languageRevision;
                emit languageRevisionChanged();
            });
        });
}

ZunoLanguageAwareUIState::~ZunoLanguageAwareUIState()
{
    ZunoNotificationCenter::shared().removeObserver(m_observer);
}
