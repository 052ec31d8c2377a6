#pragma once

// A write past the process's file-size limit (`ulimit -f`) raises SIGXFSZ, whose default action ends
// the process. Ignored, the write fails with EFBIG instead and goes down the same reported-failure
// path as a full disk. Call once at start-up, before any thread is made.
namespace ZunoFileSizeSignal {

// Sets SIGXFSZ to ignored; false when the kernel refused (errno says why).
bool ignore();

} // namespace ZunoFileSizeSignal
