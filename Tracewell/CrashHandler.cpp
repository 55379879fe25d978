#include "Tracewell/CrashHandler.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <dlfcn.h>
#include <execinfo.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include "Tracewell/LogSink.h"
#include "Tracewell/SignalSafeText.h"

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr int kMaxFrames = 64;
constexpr std::size_t kAltStackSize = 256 * 1024;

// Written by Enable/Disable on the main thread before the handlers are
// installed or after they are removed; the handler only reads them.
std::mutex g_enableMutex;
bool g_enabled = false;
struct sigaction g_previous[kSignalCount];
void* g_altStack = nullptr;
stack_t g_previousAltStack{};
bool g_altStackInstalled = false;
long g_utcOffsetSeconds = 0;

// The thread currently inside the handler (kernel id), 0 when none.
std::atomic<long> g_handlingThread{0};
// Static so the handler needs no stack for them: an overflowed stack leaves
// only the alternate one, and that is small.
char g_line[16384];
void* g_frames[kMaxFrames];

int SignalIndex(int sig)
{
    for (int i = 0; i < kSignalCount; ++i)
        if (kSignals[i] == sig) return i;
    return -1;
}

const char* SignalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGBUS: return "SIGBUS";
    default: return "signal";
    }
}

long KernelThreadId()
{
    return static_cast<long>(::syscall(SYS_gettid));
}

const char* BaseName(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/') base = p + 1;
    return base;
}

void WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void AppendFrame(Tracewell::SignalSafeText& text, void* address)
{
    const auto pc = reinterpret_cast<std::uintptr_t>(address);
    Dl_info info{};
    if (dladdr(address, &info) != 0 && info.dli_fname != nullptr) {
        text.AppendCString(info.dli_fname[0] ? BaseName(info.dli_fname) : "?");
        text.Append('(');
        if (info.dli_sname != nullptr) {
            text.AppendCString(info.dli_sname);
            text.Append('+');
            text.AppendHex(pc - reinterpret_cast<std::uintptr_t>(info.dli_saddr));
        } else {
            text.Append('+');
            text.AppendHex(pc - reinterpret_cast<std::uintptr_t>(info.dli_fbase));
        }
        text.Append(')');
    } else {
        text.Append("??");
    }
    text.Append(" [");
    text.AppendHex(pc);
    text.Append(']');
}

void AppendCause(Tracewell::SignalSafeText& text, int sig, const siginfo_t* info)
{
    text.Append("Fatal signal ");
    text.AppendDecimal(sig);
    text.Append(" (");
    text.AppendCString(SignalName(sig));
    text.Append(")");
    if (info == nullptr) return;
    if (info->si_code <= 0) {
        text.Append(" sent by process ");
        text.AppendDecimal(info->si_pid);
        return;
    }
    text.Append(", code ");
    text.AppendDecimal(info->si_code);
    text.Append(", address ");
    text.AppendHex(reinterpret_cast<std::uintptr_t>(info->si_addr));
}

// The program counter at the fault, from the signal context; 0 where this
// architecture is not known.
std::uintptr_t FaultingPc(const void* context)
{
    if (context == nullptr) return 0;
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return static_cast<std::uintptr_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.pc);
#else
    return 0; // unknown register layout: the frames after the handler's own are shown
#endif
}

// The first frame that belongs to the interrupted code: the one at the
// faulting program counter, else the one after this handler's own frames.
int FirstInterruptedFrame(int count, std::uintptr_t pc)
{
    for (int i = 0; pc != 0 && i < count; ++i)
        if (reinterpret_cast<std::uintptr_t>(g_frames[i]) == pc) return i;
    return count > 1 ? 1 : 0;
}

void WriteCrashLine(int sig, const siginfo_t* info, const void* context)
{
    Tracewell::SignalSafeText text(g_line, sizeof g_line);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    text.AppendTime(now.tv_sec, static_cast<int>(now.tv_nsec / 1000000), g_utcOffsetSeconds);
    text.Append(" [tid ");
    text.AppendDecimal(KernelThreadId());
    text.Append("] ERROR Tracewell CrashHandler: ");
    AppendCause(text, sig, info);
    text.Append("; backtrace:");
    const int count = backtrace(g_frames, kMaxFrames);
    const int first = FirstInterruptedFrame(count, FaultingPc(context));
    for (int i = first; i < count; ++i) {
        text.Append(i == first ? " #" : " | #");
        text.AppendDecimal(i - first);
        text.Append(' ');
        AppendFrame(text, g_frames[i]);
    }
    text.FinishLine();
    const int logFd = Tracewell::LogSink::Global().FileDescriptor();
    if (logFd >= 0) WriteAll(logFd, text.Data(), text.Size());
    WriteAll(STDERR_FILENO, text.Data(), text.Size());
}

// Puts back the disposition that was there before ours (the default one for
// an ignored signal, which would otherwise fault again for ever). Returns
// true when that is the default action.
bool RestorePrevious(int sig)
{
    const int index = SignalIndex(sig);
    struct sigaction previous = g_previous[index];
    const bool isDefault = !(previous.sa_flags & SA_SIGINFO) &&
                           (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN);
    if (isDefault) previous.sa_handler = SIG_DFL;
    sigaction(sig, &previous, nullptr);
    return isDefault;
}

// Lets the signal take its course once this handler returns. A signal sent by
// kill/raise/abort happened once and must be sent again; a fault with the
// default action pending again ends the process before the faulting
// instruction would run. A fault with an earlier handler of someone else is
// left to repeat when the instruction runs again, so that handler sees the
// genuine fault.
void PassOn(int sig, const siginfo_t* info)
{
    const bool isDefault = RestorePrevious(sig);
    if (isDefault || info == nullptr || info->si_code <= 0) raise(sig);
}

bool WaitForOtherCrash(long self)
{
    long expected = 0;
    for (int attempt = 0; attempt < 200; ++attempt) {
        expected = 0;
        if (g_handlingThread.compare_exchange_strong(expected, self)) return true;
        if (expected == self) return false; // a crash inside the handler itself
        const timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return false;
}

void OnFatalSignal(int sig, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    const long self = KernelThreadId();
    if (WaitForOtherCrash(self)) {
        WriteCrashLine(sig, info, context);
        g_handlingThread.store(0);
    }
    PassOn(sig, info);
    errno = savedErrno;
}

// backtrace loads its unwinder on first use, which allocates; do it now so the
// handler does not have to.
void PrepareForSignals()
{
    void* frames[2];
    backtrace(frames, 2);
    Tracewell::LogSink::Global();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) != nullptr) g_utcOffsetSeconds = local.tm_gmtoff;
}

void InstallAltStack()
{
    if (g_altStack == nullptr) {
        void* memory = mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK,
                            -1, 0);
        if (memory == MAP_FAILED) return;
        g_altStack = memory;
    }
    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = kAltStackSize;
    g_altStackInstalled = sigaltstack(&stack, &g_previousAltStack) == 0;
}

void RestoreAltStack()
{
    if (!g_altStackInstalled) return;
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && current.ss_sp == g_altStack && !(current.ss_flags & SS_ONSTACK))
        sigaltstack(&g_previousAltStack, nullptr);
    g_altStackInstalled = false;
}

bool IsOurs(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) && action.sa_sigaction == OnFatalSignal;
}

} // namespace

void EnableSEHandler()
{
    std::lock_guard lock(g_enableMutex);
    if (g_enabled) return;
    PrepareForSignals();
    InstallAltStack();
    struct sigaction action{};
    action.sa_sigaction = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &action, &g_previous[i]);
    g_enabled = true;
}

void DisableSEHandler()
{
    std::lock_guard lock(g_enableMutex);
    if (!g_enabled) return;
    for (int i = 0; i < kSignalCount; ++i) {
        struct sigaction current{};
        if (sigaction(kSignals[i], nullptr, &current) == 0 && IsOurs(current))
            sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    RestoreAltStack();
    g_enabled = false;
}
