// Termination signals (SIGINT, SIGTERM): a desktop logout, a service manager or Ctrl+C.
#pragma once

namespace platform {

/// Blocks SIGINT and SIGTERM in the calling thread and in threads it starts later, so that one
/// thread can take them with WaitForTerminationSignal().
void BlockTerminationSignals();
/// Waits until SIGINT or SIGTERM arrives; returns its number.
int WaitForTerminationSignal();
/// Sends SIGTERM to this process.
void RequestTermination();

} // namespace platform
