#pragma once

// Whether this process may talk to the PulseAudio (or PipeWire-Pulse) server: a connection
// attempt, closed again at once. Blocks up to `timeoutMs`; any thread.
namespace ZunoPulseProbe {

enum class Result { connected, accessDenied, unavailable };

Result connect(int timeoutMs = 2000);

} // namespace ZunoPulseProbe
