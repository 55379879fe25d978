#pragma once
// Tracewell's crash handler: on SIGSEGV, SIGABRT, SIGFPE, SIGILL and SIGBUS it
// writes one log line with a symbolised backtrace, then lets the signal end the
// process as it would have without the handler (same signal, same core dump).

/// Installs the handlers for the five fatal signals. Call from the main thread.
void EnableSEHandler();

/// Restores the handlers that were installed before EnableSEHandler.
void DisableSEHandler();
