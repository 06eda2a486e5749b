#include "stopSignal.h"

#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <atomic>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
std::atomic<StopSignal*> instance = nullptr;

// Runs on a thread of its own: the signal goes to the event loop.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (StopSignal* target = instance)
        QMetaObject::invokeMethod(target, &StopSignal::raised, Qt::QueuedConnection);
    return TRUE;
}
#else
// A signal handler may only write to a pipe; the event loop reads it.
int pipeEnds[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}
#endif

} // namespace

StopSignal::StopSignal(QObject* parent)
    : QObject(parent)
{
#ifdef Q_OS_WIN
    instance = this;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    if (::pipe(pipeEnds) != 0)
        return;
    for (const int end : pipeEnds)
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(pipeEnds[0], &byte, 1);
        Q_EMIT raised();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
#endif
}

StopSignal::~StopSignal()
{
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    instance = nullptr;
#else
    // Back to the default: a signal now ends the program at once.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    for (int& end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
#endif
}
