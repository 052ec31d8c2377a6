#pragma once

// Fault injection for the agent tests: while switched on for a thread, every thread that thread tries to
// start fails to start (pthread_create answers EAGAIN, as when a process hits its thread limit). Off by
// default; other threads are never affected.
namespace ZunoFailingThreadStart {

void setFailing(bool failing);

} // namespace ZunoFailingThreadStart
