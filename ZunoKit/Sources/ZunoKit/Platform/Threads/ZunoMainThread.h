#pragma once

#include <functional>

class QObject;

// Hops to the Qt GUI thread, where every view and store lives.
namespace ZunoMainThread {

bool isMainThread();

// Runs `fn` on the main thread, queued, after the current event. With a `context`, the call is
// dropped when that object is destroyed first. Without an application object nothing runs.
void post(QObject *context, std::function<void()> fn);

} // namespace ZunoMainThread
