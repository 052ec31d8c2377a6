#pragma once

#include <QCoreApplication>
#include <QFuture>
#include <QPointer>

#include <type_traits>
#include <utility>

// Continues `future` on the main thread with `continuation`, but only while `receiver` exists.
//
// With `.then(receiver, …)` the thread that finishes the work posts the continuation to the receiver,
// reading it while the main thread may be destroying it (an object that stops its work in its
// destructor lets that work finish right then): a race on a dying object. Here the continuation is
// posted to the application, which outlives every receiver, and a guard read on the main thread skips
// a receiver that is gone; the returned future then finishes with a default value (a cancelled future
// where the continuation returns one).
//
// `continuation` takes the future's value (nothing for QFuture<void>), or the future itself when it
// wants to see an exception or a cancellation. Main thread only.
namespace ZunoWhileAliveDetail {

// `call()` when `alive`, else a default `Result` (nothing for void).
template <typename Result, typename Call> Result callIfAlive(bool alive, Call &&call)
{
    if (!alive) {
        if constexpr (!std::is_void_v<Result>)
            return Result {};
        else
            return;
    }
    return call();
}

} // namespace ZunoWhileAliveDetail

template <typename T, typename Receiver, typename Continuation>
auto zunoThenWhileAlive(QFuture<T> future, Receiver *receiver, Continuation continuation)
{
    static_assert(std::is_base_of_v<QObject, Receiver>, "the receiver is a QObject");
    using ZunoWhileAliveDetail::callIfAlive;
    QPointer<Receiver> guard(receiver);
    QObject *context = QCoreApplication::instance();
    if constexpr (std::is_invocable_v<Continuation, QFuture<T>>) {
        using Result = std::invoke_result_t<Continuation, QFuture<T>>;
        return future.then(
            context, [guard, continuation = std::move(continuation)](QFuture<T> finished) mutable {
                return callIfAlive<Result>(guard, [&] { return continuation(std::move(finished)); });
            });
    } else if constexpr (std::is_void_v<T>) {
        using Result = std::invoke_result_t<Continuation>;
        return future.then(context, [guard, continuation = std::move(continuation)]() mutable {
            return callIfAlive<Result>(guard, [&] { return continuation(); });
        });
    } else {
        using Result = std::invoke_result_t<Continuation, const T &>;
        return future.then(context, [guard, continuation = std::move(continuation)](const T &value) mutable {
            return callIfAlive<Result>(guard, [&] { return continuation(value); });
        });
    }
}
