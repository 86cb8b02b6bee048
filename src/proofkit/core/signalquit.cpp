#include "signalquit.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "quitapplication.h"

namespace {
int pipeEnds[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe, read back on the GUI thread.
void onSignalRaised(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(pipeEnds[1], &byte, 1);
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
}

SignalQuit::SignalQuit(QObject* parent) : SignalQuit(std::function<void()>(), parent) {}

SignalQuit::SignalQuit(std::function<void()> handler, QObject* parent) : QObject(parent), handler(std::move(handler))
{
    if (pipeEnds[0] < 0 && pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SignalQuit::onSignal);
    setHandler(onSignalRaised);
}

SignalQuit::~SignalQuit()
{
    setHandler(SIG_DFL);
}

void SignalQuit::onSignal()
{
    char bytes[16];
    while (read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    if (handler)
        handler();
    else
        quitApplication(0);
}
