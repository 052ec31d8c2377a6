// Continuations that run only while their receiver exists, and whose futures always finish.
#include "ZunoWhileAlive.h"
#include "ZunoTestTimeouts.h"

#include <QPromise>
#include <QTest>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <thread>

TEST(ZunoWhileAlive, RunsOnTheMainThreadWhileTheReceiverExistsAndFinishesEitherWay)
{
    for (const bool receiverGoes : { false, true }) {
        SCOPED_TRACE(receiverGoes ? "receiver goes first" : "receiver stays");
        auto receiver = std::make_unique<QObject>();
        QPromise<int> work;
        work.start();
        int seen = 0;
        bool onMainThread = false;
        QFuture<int> doubled = zunoThenWhileAlive(work.future(), receiver.get(), [&](int value) {
            seen = value;
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            return value * 2;
        });
        // The work ends on another thread, as a worker's does.
        std::thread worker([&] {
            work.addResult(21);
            work.finish();
        });
        if (receiverGoes)
            receiver.reset();
        worker.join();
        ASSERT_TRUE(QTest::qWaitFor([&] { return doubled.isFinished(); }, kWindowWait));
        if (receiverGoes) {
            EXPECT_EQ(seen, 0) << "a receiver that is gone is never called";
            EXPECT_EQ(doubled.result(), 0);
        } else {
            EXPECT_EQ(seen, 21);
            EXPECT_TRUE(onMainThread);
            EXPECT_EQ(doubled.result(), 42);
        }
    }
}

TEST(ZunoWhileAlive, VoidWorkAndContinuationsThatTakeTheFuture)
{
    QObject receiver;
    int calls = 0;
    QFuture<void> plain = zunoThenWhileAlive(QtConcurrent::run([] {}), &receiver, [&] { ++calls; });
    // A continuation that takes the future sees the work's exception.
    QPromise<int> work;
    work.start();
    QFuture<QString> failed = zunoThenWhileAlive(work.future(), &receiver, [&](QFuture<int> finished) {
        ++calls;
        try {
            finished.result();
        } catch (const std::exception &error) {
            return QString::fromLatin1(error.what());
        }
        return QString();
    });
    work.setException(std::make_exception_ptr(std::runtime_error("disk full")));
    work.finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return plain.isFinished() && failed.isFinished(); }, kWindowWait));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(failed.result(), QStringLiteral("disk full"));
}
