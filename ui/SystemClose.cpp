#include "ui/SystemClose.h"

#include "ui/Unit1.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace xtq::ui {
namespace {

// A signal handler may only write to a descriptor; the window reads the
// other end on its own thread.
int signalSockets[2] = {-1, -1};

extern "C" void OnTerminate(int) {
    const char byte = 1;
    const ssize_t written = ::write(signalSockets[0], &byte, 1);
    (void)written;
}

} // namespace

void CatchTerminationSignal() {
    if (signalSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
}

void FollowSystemCloseRequests(TFormRegress& window) {
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.SystemCloseRequest(); });
    if (signalSockets[1] < 0) return;
    auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        const ssize_t read = ::read(signalSockets[1], &byte, 1);
        (void)read;
        window.SystemCloseRequest();
    });
}

} // namespace xtq::ui
