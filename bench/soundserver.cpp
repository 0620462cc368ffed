// The console's player on a real sound server (a private PulseAudio daemon with null sinks):
// how long a Play takes to be heard on the sink, how long a card that was pulled out and put
// back takes to sound again, and how many gaps a playing deck leaves in a minute while two
// busy processes load both cores. What the sink plays is read from its monitor as it arrives,
// so each time is measured against the sound itself, not the program's own state.
#include "PulseServer.h"
#include "audio/AudioEngine.h"
#include "audio/OutputBackend.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using audio::AudioEngine;
using clock_type = std::chrono::steady_clock;

namespace {

constexpr int kRate = 44100;

double secondsSince(clock_type::time_point t)
{
    return std::chrono::duration<double>(clock_type::now() - t).count();
}

// Reads a sink's monitor through parec as it plays, in pieces of about a millisecond, and
// notes when sound first arrives after arm(); keeps everything for later counting.
class LiveMonitor
{
public:
    explicit LiveMonitor(const QString &sink)
    {
        const QByteArray device = ("--device=" + sink + ".monitor").toUtf8();
        const char *args[] = {"parec", device.constData(), "--format=float32le", "--rate=44100", "--channels=1",
                              "--raw", "--latency-msec=2", nullptr};
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const bool started = posix_spawnp(&m_pid, "parec", &actions, nullptr, const_cast<char **>(args), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (!started) {
            close(fds[0]);
            return;
        }
        m_fd = fds[0];
        m_thread = std::thread([this] { run(); });
    }
    ~LiveMonitor()
    {
        if (m_fd < 0)
            return;
        kill(m_pid, SIGTERM);
        m_thread.join();
        close(m_fd);
        waitpid(m_pid, nullptr, 0);
    }
    // parec takes most of a second before its first samples; false if none came in 5 s.
    bool flowing()
    {
        for (int i = 0; i < 500 && m_fd >= 0; ++i) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_all.empty())
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void arm()
    {
        m_heardAt = {};
        m_armed = true;
    }
    // Waits up to `seconds` for sound after arm(); the moment it arrived, if it did.
    bool heard(double seconds, clock_type::time_point *at)
    {
        const auto until = clock_type::now() + std::chrono::duration<double>(seconds);
        while (clock_type::now() < until) {
            if (!m_armed.load()) {
                std::lock_guard<std::mutex> lock(m_mutex);
                *at = m_heardAt;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    std::vector<float> take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::move(m_all);
    }

private:
    void run()
    {
        float piece[64];
        size_t have = 0; // bytes of a sample split across reads are kept
        for (;;) {
            const ssize_t got = read(m_fd, reinterpret_cast<char *>(piece) + have, sizeof piece - have);
            if (got <= 0)
                return;
            have += size_t(got);
            const size_t n = have / sizeof(float);
            if (n == 0)
                continue;
            const auto now = clock_type::now();
            std::lock_guard<std::mutex> lock(m_mutex);
            m_all.insert(m_all.end(), piece, piece + n);
            if (m_armed.load())
                for (size_t i = 0; i < n; ++i)
                    if (std::fabs(piece[i]) > 0.01f) {
                        // This sample played (n - i) samples before the piece arrived.
                        m_heardAt = now - std::chrono::nanoseconds(int64_t((n - i) * 1e9 / kRate));
                        m_armed = false;
                        break;
                    }
            const size_t rest = have - n * sizeof(float);
            std::memmove(piece, reinterpret_cast<char *>(piece) + n * sizeof(float), rest);
            have = rest;
        }
    }
    pid_t m_pid = -1;
    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_armed{false};
    std::mutex m_mutex;
    clock_type::time_point m_heardAt;
    std::vector<float> m_all;
};

int deviceOf(const QString &description)
{
    for (int n = 1; n <= 10; ++n)
        if (AudioEngine::instance().deviceDescription(n) == description)
            return n;
    return 0;
}

// Looks at the cards four times a second, as the console does, while waiting.
void watchFor(double seconds)
{
    const auto end = clock_type::now() + std::chrono::duration<double>(seconds);
    while (clock_type::now() < end) {
        AudioEngine::instance().watchCards();
        QThread::msleep(250);
    }
}

int fail(const char *what)
{
    std::fprintf(stderr, "soundserver: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    funcoes::setMessageHook([](const QString &t) { std::fprintf(stderr, "%s\n", qPrintable(t)); });
    testsupport::PulseServer pulse;
    if (!pulse.error().isEmpty())
        return fail(qPrintable(pulse.error()));
    if (!pulse.addSink("sala", "Saída da Sala") || !pulse.addSink("musica", "Placa de Música"))
        return fail(qPrintable(pulse.error()));
    qputenv("SDL_AUDIODRIVER", "pulseaudio");
    AudioEngine::instance().setBackend(std::make_unique<audio::SdlBackend>());
    QTemporaryDir dir;
    const QString tone = dir.filePath("tom.wav");
    if (QProcess::execute("ffmpeg", {"-y", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:r=44100:d=90", "-ac", "2",
                                     "-af", "volume=0.5", tone})
        != 0)
        return fail("ffmpeg could not make the tone");

    const int musica = deviceOf("Placa de Música");
    TMorvelBass deck;
    deck.OpenDevice(musica);
    if (!musica || !deck.EndTimer)
        return fail("the music card did not open");
    deck.LoadFile(tone);

    // Play to sound: the deck starts from its beginning after a silence, twenty times.
    std::vector<double> latencies;
    {
        LiveMonitor monitor("musica");
        if (!monitor.flowing())
            return fail("no sound came from the sink's monitor");
        for (int i = 0; i < 20; ++i) {
            deck.Stop();
            deck.SetPosition(0);
            QThread::msleep(250);
            monitor.arm();
            const auto pressed = clock_type::now();
            deck.Play();
            clock_type::time_point at;
            if (!monitor.heard(1.0, &at))
                return fail("a Play was never heard");
            latencies.push_back(std::chrono::duration<double, std::milli>(at - pressed).count());
        }
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = (latencies[9] + latencies[10]) / 2;

    // A card pulled out and put back, three times, while the deck plays on. The console looks
    // at its cards every 250 ms; the card is looked at once its monitor is recorded, and the
    // time counted is that wait at its longest plus the time from the look to the sound.
    std::vector<double> returns;
    for (int i = 0; i < 3; ++i) {
        pulse.removeSink("musica");
        watchFor(2.0);
        if (!pulse.addSink("musica", "Placa de Música"))
            return fail(qPrintable(pulse.error()));
        LiveMonitor monitor("musica");
        if (!monitor.flowing())
            return fail("no sound came from the returned sink's monitor");
        monitor.arm();
        const auto looked = clock_type::now();
        AudioEngine::instance().watchCards();
        clock_type::time_point at;
        if (!monitor.heard(5.0, &at))
            return fail("the returned card stayed silent");
        returns.push_back(0.25 + std::chrono::duration<double>(at - looked).count());
    }

    // A minute of one deck on a loaded machine: gaps longer than 10 ms in what the sink played.
    deck.Stop();
    deck.SetPosition(0);
    std::vector<QProcess *> busy;
    for (int i = 0; i < 2; ++i) {
        auto *p = new QProcess;
        p->start("sh", {"-c", "while :; do :; done"});
        busy.push_back(p);
    }
    std::vector<float> minute;
    {
        LiveMonitor monitor("musica");
        if (!monitor.flowing())
            return fail("no sound came from the sink's monitor");
        deck.Play();
        const auto start = clock_type::now();
        while (secondsSince(start) < 60.0) {
            AudioEngine::instance().watchCards();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(50);
        }
        deck.Stop();
        QThread::msleep(200);
        minute = monitor.take();
    }
    for (QProcess *p : busy) {
        p->kill();
        p->waitForFinished(2000);
        delete p;
    }
    const auto loud = [](float v) { return std::fabs(v) > 1e-3f; };
    const auto first = std::find_if(minute.begin(), minute.end(), loud);
    const auto last = std::find_if(minute.rbegin(), minute.rend(), loud).base();
    int gaps = 0;
    long run = 0;
    double played = 0;
    if (first < last) {
        played = double(last - first) / kRate;
        for (auto it = first; it != last; ++it) {
            // A sine crosses zero for a sample or two; ten silent milliseconds are a gap.
            run = loud(*it) ? 0 : run + 1;
            if (run == kRate / 100)
                ++gaps;
        }
    }

    std::printf("play_to_sound_ms_min: %.1f\n", latencies.front());
    std::printf("play_to_sound_ms_max: %.1f\n", latencies.back());
    std::printf("play_to_sound_ms_median: %.1f\n", median);
    std::printf("card_return_to_sound_s_worst_of_3: %.2f\n", *std::max_element(returns.begin(), returns.end()));
    std::printf("seconds_played_under_load: %.1f\n", played);
    std::printf("gaps_over_10ms_in_60s_under_load: %d\n", gaps);
    return 0;
}
