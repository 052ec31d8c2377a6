#pragma once

#include "ZunoNotificationCenter.h"

#include <QObject>

// The base of the credits views' states whose host passed no language: every language change raises
// `languageRevision` by one and emits `languageRevisionChanged`, one main-thread turn after the change
// was posted (never inside the poster's call, whatever thread posted it). Views connect to the signal
// and resolve their texts again. Main thread only.
class ZunoLanguageAwareUIState : public QObject {
    Q_OBJECT
public:
    explicit ZunoLanguageAwareUIState(QObject *parent = nullptr);
    ~ZunoLanguageAwareUIState() override;

    int languageRevision() const { return m_languageRevision; }

signals:
    void languageRevisionChanged();

private:
    int m_languageRevision = 0;
    ZunoNotificationCenter::Token m_observer = 0;
};
