#include "ui/TerminationSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace tonavise::ui {

namespace {

// [0] is written by the handler, [1] read by the event loop.
int g_signalPair[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    // Only this is safe in a signal handler; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = write(g_signalPair[0], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (g_signalPair[0] >= 0 || socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPair) != 0) {
        return;
    }
    notifier_ = new QSocketNotifier(g_signalPair[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(g_signalPair[1], &byte, 1);
        if (onSignal_) {
            onSignal_();
        }
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kTerminationSignals.size(); ++i) {
        sigaction(kTerminationSignals[i], &action, &previous_[i]);
    }
    installed_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (!installed_) {
        return;
    }
    for (size_t i = 0; i < kTerminationSignals.size(); ++i) {
        sigaction(kTerminationSignals[i], &previous_[i], nullptr);
    }
    delete notifier_;
    close(g_signalPair[0]);
    close(g_signalPair[1]);
    g_signalPair[0] = g_signalPair[1] = -1;
}

}  // namespace tonavise::ui
