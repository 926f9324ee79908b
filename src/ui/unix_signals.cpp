#include "ui/unix_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>

#include "support/durable_file.h"

namespace mw {

namespace {
int g_signalFds[2] = {-1, -1};
volatile sig_atomic_t g_firstSignal = 0;

// The deadline, or a second signal: what could be saved was saved by now, or
// never will be. Only async-signal-safe calls from here on.
[[noreturn]] void EndNow() {
    RemoveTemporariesNow();
    _exit(128 + (g_firstSignal ? g_firstSignal : SIGTERM));
}

extern "C" void OnDeadline(int) { EndNow(); }

extern "C" void OnSignal(int sig) {
    if (g_firstSignal) EndNow();
    g_firstSignal = sig;
    alarm(UnixSignals::kDeadlineSeconds);
    unsigned char b = static_cast<unsigned char>(sig);
    // write() is async-signal-safe; a full pipe just drops the repeat.
    ssize_t n = ::write(g_signalFds[0], &b, 1);
    (void)n;
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
}  // namespace

UnixSignals::UnixSignals(QObject* parent) : QObject(parent) {}

UnixSignals::~UnixSignals() {
    for (int s : kSignals) std::signal(s, SIG_DFL);
}

bool UnixSignals::Install() {
    if (g_signalFds[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0)
        return false;
    fcntl(g_signalFds[0], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char b = 0;
        if (::read(g_signalFds[1], &b, 1) != 1) return;
        emit terminateRequested(b);
        // A message box still up (one the user had not answered) runs its
        // own event loop: every loop ends, so the program does; a signal
        // that came before the main loop began ends that loop as it starts.
        QCoreApplication::exit(0);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    struct sigaction deadline {};
    deadline.sa_handler = OnDeadline;
    sigemptyset(&deadline.sa_mask);
    bool ok = sigaction(SIGALRM, &deadline, nullptr) == 0;
    for (int s : kSignals) ok = sigaction(s, &sa, nullptr) == 0 && ok;
    return ok;
}

}  // namespace mw
