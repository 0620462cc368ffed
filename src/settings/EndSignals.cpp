#include "EndSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already carries the news.
    [[maybe_unused]] ssize_t n = ::write(g_pipe[0], &byte, 1);
}
} // namespace

EndSignals::EndSignals(std::function<void()> onSignal_, QObject *parent)
    : QObject(parent)
    , m_onSignal(std::move(onSignal_))
{
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_pipe[1], bytes, sizeof bytes) > 0) {
        }
        if (m_onSignal)
            m_onSignal();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

EndSignals::~EndSignals()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}
#else
EndSignals::EndSignals(std::function<void()> onSignal_, QObject *parent)
    : QObject(parent)
    , m_onSignal(std::move(onSignal_))
{
}

EndSignals::~EndSignals() = default;
#endif
