#pragma once
// Tracewell's crash handler: on SIGSEGV, SIGABRT, SIGFPE, SIGILL and SIGBUS it
// writes one log line with the signal, the faulting address and a symbolised
// backtrace (module, exported symbol as the linker sees it, offset, address;
// frames separated by " | "), to the open log file and to standard error. It
// then restores the handler that was there before and lets the signal end the
// process as it would have without it (same signal, same core dump).
//
// The line is built in a static buffer with async-signal-safe calls only, the
// exception being dladdr for the symbol names. The thread that calls
// EnableSEHandler gets an alternate signal stack, so a stack overflow on that
// thread is reported too; an overflow on another thread ends the process
// without the line.

/// Installs the handlers for the five fatal signals and the alternate signal
/// stack of the calling thread. Call from the main thread; a second call while
/// enabled does nothing.
void EnableSEHandler();

/// Restores the handlers (and the calling thread's alternate stack) that were
/// there before EnableSEHandler. A handler that someone else installed over
/// ours since is left alone. Does nothing when not enabled.
void DisableSEHandler();
