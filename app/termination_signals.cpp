// Turns SIGTERM and SIGINT into a call on the event loop: a normal close of the main window, or the end of an unattended job.
#include "app/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace glyfex::app {

namespace {

int signalSockets[2] = {-1, -1}; // [0] written by the handler, [1] read by the event loop
constexpr int handledSignals[] = {SIGTERM, SIGINT};

extern "C" void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = char(signal);
    // A full socket already holds a pending close: dropping this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> close, QObject *parent)
    : QObject(parent), m_close(std::move(close))
{
    if (signalSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return;
    ::fcntl(signalSockets[0], F_SETFL, ::fcntl(signalSockets[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(signalSockets[1], F_SETFL, ::fcntl(signalSockets[1], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::signalled);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = true;
    for (int sig : handledSignals)
        m_installed = ::sigaction(sig, &action, nullptr) == 0 && m_installed;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : handledSignals)
        ::sigaction(sig, &action, nullptr);
    delete m_notifier;
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
}

void TerminationSignals::signalled()
{
    char bytes[16];
    int signal = 0;
    for (ssize_t got; (got = ::read(signalSockets[1], bytes, sizeof bytes)) > 0;)
        signal = static_cast<unsigned char>(bytes[got - 1]);
    if (m_close && signal != 0)
        m_close(signal);
}

} // namespace glyfex::app
