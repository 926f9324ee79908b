#include "ui/unix_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace mw {

namespace {
int g_signalFds[2] = {-1, -1};

extern "C" void OnSignal(int sig) {
    unsigned char b = static_cast<unsigned char>(sig);
    // write() is async-signal-safe; a full pipe just drops the repeat.
    ssize_t n = ::write(g_signalFds[0], &b, 1);
    (void)n;
}
}  // namespace

UnixSignals::UnixSignals(QObject* parent) : QObject(parent) {}

UnixSignals::~UnixSignals() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
}

bool UnixSignals::Install() {
    if (g_signalFds[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0)
        return false;
    fcntl(g_signalFds[0], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char b = 0;
        if (::read(g_signalFds[1], &b, 1) == 1) emit terminateRequested(b);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &sa, nullptr) == 0 && sigaction(SIGINT, &sa, nullptr) == 0;
}

}  // namespace mw
