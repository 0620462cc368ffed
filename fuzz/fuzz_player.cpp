// Loads each file given on the command line into a player on the offline card, plays it,
// seeks to its middle and near its end, renders to the end and reads the spectrum. A refused
// file is a clean case; a crash or a sanitizer report ends the process, a hang trips the
// watchdog (FUZZ_TIMEOUT_MS, default 20000).
#include "Watchdog.h"
#include "audio/AudioEngine.h"
#include "audio/OutputBackend.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using audio::AudioEngine;

namespace {

constexpr int kBlock = 1024;

// Renders until the stream ran out or `maxFrames` were rendered; returns the peak level.
float renderUntilEnd(uint32_t channel, int maxFrames)
{
    std::vector<float> out(size_t(kBlock) * 2);
    float peak = 0.f;
    for (int done = 0; done < maxFrames && !AudioEngine::instance().ranOut(channel); done += kBlock) {
        AudioEngine::instance().renderOffline(1, out.data(), kBlock);
        for (float v : out) {
            if (!std::isfinite(v)) {
                std::fprintf(stderr, "non-finite sample in the output\n");
                std::abort();
            }
            peak = std::max(peak, std::fabs(v));
        }
    }
    return peak;
}

bool runCase(const QString &path)
{
    TMorvelBass player;
    player.OpenDevice(1);
    try {
        player.LoadFile(path);
    } catch (const audio::LoadError &) {
        return false;
    }
    if (!player.Loaded)
        return false;
    player.SetPosition(0);
    player.Play();
    renderUntilEnd(player.Channel, 44100 * 2);
    const uint32_t length = player.GetLength();
    player.SetPosition(length / 2);
    player.Play();
    renderUntilEnd(player.Channel, 44100 / 2);
    float fft[512];
    player.GetFFT(fft);
    short samples[2048];
    player.GetSamples(samples, int(sizeof samples));
    player.SetPosition(length > 300 ? length - 300 : 0);
    player.Play();
    renderUntilEnd(player.Channel, 44100 * 4);
    player.GetPosition();
    player.FreeStream();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    funcoes::setMessageHook([](const QString &) {});
    AudioEngine::instance().setBackend(std::make_unique<audio::OfflineBackend>(QStringList{"Placa 1"}));
    const char *limit = std::getenv("FUZZ_TIMEOUT_MS");
    Watchdog watchdog(limit ? std::atoi(limit) : 20000);
    int played = 0, refused = 0;
    for (int i = 1; i < argc; ++i) {
        std::fprintf(stderr, "CASE %s\n", argv[i]);
        watchdog.arm(argv[i]);
        (runCase(QString::fromLocal8Bit(argv[i])) ? played : refused)++;
        watchdog.disarm();
    }
    std::printf("played: %d refused: %d\n", played, refused);
    return 0;
}
