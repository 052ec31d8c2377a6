#pragma once

#include "CamScriptStore.h"
#include "CamStudioFakeServices.h"
#include "CamStudioViewModel.h"
#include "CamStudioVirtualClock.h"
#include "CountingDocumentStore.h"
#include "FakeMicrophone.h"
#include "FakeNotchPanel.h"
#include "FakeStudioCamera.h"
#include "FakeStudioSystem.h"
#include "ZunoAppLogger.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// A view model on fakes and virtual time, in a temporary folder that holds its document and log.
// Tests that prepare the document or the fakes do so before start().
class StudioTest : public ::testing::Test {
protected:
    static constexpr int kWait = 20000;

    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    void TearDown() override
    {
        // The fakes belong to the view model once it is made.
        if (vm)
            fakes.system->releaseMicrophoneProbe();
        vm.reset();
    }

    QString documentFolder() const { return m_dir.filePath(QStringLiteral("ZunoCam")); }
    QString folder() const { return m_dir.path(); }

    // Writes the studio document the view model will read.
    void writeDocument(const CamPersistedPayload &payload)
    {
        CamScriptStore store(documentFolder());
        ASSERT_TRUE(store.save(payload));
    }

    void makeFakes(int cameras = 1)
    {
        if (fakes.clock)
            return;
        fakes = CamStudioFakeServices::make(folder(), cameras);
        fakes.logger->clear(); // a table's earlier rows wrote to the same log
    }

    void start(int cameras = 1)
    {
        makeFakes(cameras);
        vm = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
    }

    // Runs the application's loop until a quit passes: first() runs once the loop is up, and a generous
    // bound forces it out with 99. Both timers end with this call, so none of them fires in a later test.
    int runQuitLoop(const std::function<void()> &first)
    {
        QObject context;
        QTimer::singleShot(0, &context, first);
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, &context, [] { QCoreApplication::exit(99); });
        bound.start(kWait);
        return QCoreApplication::exec();
    }

    // Waits for the document writer and runs what it posted back.
    void flush()
    {
        ASSERT_TRUE(vm->flushDocument(std::chrono::milliseconds(kWait)));
        QCoreApplication::processEvents();
    }

    // The log's messages of a category, oldest first.
    QStringList messages(const QString &category, ZunoLogLevel level = ZunoLogLevel::debug) const
    {
        QStringList result;
        for (const ZunoLogEntry &entry : fakes.logger->recentEntries(10000, level)) {
            if (entry.category == category)
                result.prepend(entry.message);
        }
        return result;
    }

    CamStudioVirtualClock &clock() { return *fakes.clock; }

    TeleprompterSettings settingsWith(const std::function<void(TeleprompterSettings &)> &change) const
    {
        TeleprompterSettings settings = vm->teleprompter();
        change(settings);
        return settings;
    }

    QTemporaryDir m_dir;
    CamStudioFakeServices fakes;
    std::unique_ptr<CamStudioViewModel> vm;
};
