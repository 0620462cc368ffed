#include "OutputBackend.h"

#include "AudioTypes.h"
#include "Mixer.h"

#include <SDL.h>

#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <vector>

namespace audio {

static QStringList virtualCards(int n)
{
    QStringList list;
    for (int i = 1; i <= n; ++i)
        list << QStringLiteral("Placa virtual %1").arg(i);
    return list;
}

std::unique_ptr<OutputBackend> OutputBackend::fromEnvironment()
{
    const QString spec = qEnvironmentVariable("VELARIX_AUDIO", QStringLiteral("sdl"));
    const QStringList parts = spec.split(':');
    const QString kind = parts.value(0).trimmed().toLower();
    auto count = [](const QString &text) {
        bool ok = false;
        int n = text.toInt(&ok);
        return ok ? std::clamp(n, 1, 10) : 2;
    };
    if (kind == "null")
        return std::make_unique<PacedBackend>(virtualCards(count(parts.value(1))));
    if (kind == "offline")
        return std::make_unique<OfflineBackend>(virtualCards(count(parts.value(1))));
    if (kind == "record" && parts.size() >= 2) {
        // The folder may itself hold a colon; the card count is the last field when numeric.
        QStringList dirParts = parts.mid(1);
        int n = 2;
        bool ok = false;
        if (dirParts.size() >= 2) {
            int last = dirParts.last().toInt(&ok);
            if (ok) {
                n = std::clamp(last, 1, 10);
                dirParts.removeLast();
            }
        }
        return std::make_unique<PacedBackend>(virtualCards(n), dirParts.join(':'));
    }
    return std::make_unique<SdlBackend>();
}

// ---------------- SDL ----------------

SdlBackend::~SdlBackend()
{
    for (auto &entry : m_open)
        SDL_CloseAudioDevice(entry.second);
    if (m_init)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlBackend::ensureInit()
{
    // The program answers SIGINT and SIGTERM itself; SDL's handlers would swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (!m_init)
        m_init = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return m_init;
}

QStringList SdlBackend::descriptions()
{
    QStringList list;
    if (!ensureInit())
        return list;
    const int n = SDL_GetNumAudioDevices(0);
    // Device 1 is the system's default output; the cards SDL lists follow it.
    list << QStringLiteral("Saída padrão do sistema");
    for (int i = 0; i < n; ++i) {
        const char *name = SDL_GetAudioDeviceName(i, 0);
        list << QString::fromUtf8(name ? name : "");
    }
    return list;
}

static void sdlCallback(void *user, Uint8 *stream, int len)
{
    auto *mixer = static_cast<Mixer *>(user);
    auto *out = reinterpret_cast<float *>(stream);
    int frames = len / int(2 * sizeof(float));
    while (frames > 0) {
        const int n = std::min(frames, kMaxBlock);
        mixer->render(out, n);
        out += n * 2;
        frames -= n;
    }
}

bool SdlBackend::start(int device, const QString &card, Mixer *mixer)
{
    if (!ensureInit() || m_open.count(device))
        return false;
    SDL_AudioSpec want{}, have{};
    want.freq = kCardRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kMaxBlock;
    want.callback = sdlCallback;
    want.userdata = mixer;
    const QByteArray name = card.toUtf8();
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(card.isEmpty() ? nullptr : name.constData(), 0, &want, &have, 0);
    if (id == 0)
        return false;
    m_open[device] = id;
    SDL_PauseAudioDevice(id, 0);
    return true;
}

void SdlBackend::stop(int device)
{
    auto it = m_open.find(device);
    if (it == m_open.end())
        return;
    SDL_CloseAudioDevice(it->second);
    m_open.erase(it);
}

bool SdlBackend::lost(int device)
{
    // SDL stops a card it lost and keeps calling back in silence.
    auto it = m_open.find(device);
    return it != m_open.end() && SDL_GetAudioDeviceStatus(it->second) == SDL_AUDIO_STOPPED;
}

// ---------------- paced virtual cards ----------------

PacedBackend::PacedBackend(QStringList descriptions, QString recordDir)
    : m_descriptions(std::move(descriptions))
    , m_recordDir(std::move(recordDir))
{
}

bool PacedBackend::start(int device, const QString &card, Mixer *mixer)
{
    if (m_cards.count(device) || !(card.isEmpty() || m_descriptions.contains(card)) || m_descriptions.isEmpty())
        return false;
    QString wav;
    if (!m_recordDir.isEmpty()) {
        QDir().mkpath(m_recordDir);
        wav = QDir(m_recordDir).filePath(QStringLiteral("card%1.wav").arg(device));
    }
    m_cards[device] = std::make_unique<PacedCard>(mixer, wav);
    return true;
}

namespace {
// A 16-bit stereo WAV whose header is rewritten after every block, so the file is valid
// whenever the program stops, even when it is killed.
class WavWriter
{
public:
    explicit WavWriter(const QString &path)
    {
        m_file = std::fopen(QFile::encodeName(path).constData(), "wb");
        if (m_file)
            writeHeader();
    }
    ~WavWriter()
    {
        if (m_file)
            std::fclose(m_file);
    }
    void write(const float *samples, int frames)
    {
        if (!m_file)
            return;
        m_pcm.resize(size_t(frames) * 2);
        for (int i = 0; i < frames * 2; ++i) {
            float v = std::clamp(samples[i], -1.f, 1.f);
            m_pcm[size_t(i)] = int16_t(std::lrint(v * 32767.f));
        }
        std::fseek(m_file, 0, SEEK_END);
        std::fwrite(m_pcm.data(), sizeof(int16_t), m_pcm.size(), m_file);
        m_dataBytes += uint32_t(m_pcm.size() * sizeof(int16_t));
        writeHeader();
        std::fflush(m_file);
    }

private:
    static void put32(unsigned char *p, uint32_t v)
    {
        p[0] = v & 0xff; p[1] = (v >> 8) & 0xff; p[2] = (v >> 16) & 0xff; p[3] = v >> 24;
    }
    static void put16(unsigned char *p, uint16_t v)
    {
        p[0] = v & 0xff; p[1] = v >> 8;
    }
    void writeHeader()
    {
        unsigned char h[44];
        std::memcpy(h, "RIFF", 4);
        put32(h + 4, 36 + m_dataBytes);
        std::memcpy(h + 8, "WAVEfmt ", 8);
        put32(h + 16, 16);
        put16(h + 20, 1);
        put16(h + 22, 2);
        put32(h + 24, kCardRate);
        put32(h + 28, kCardRate * 4);
        put16(h + 32, 4);
        put16(h + 34, 16);
        std::memcpy(h + 36, "data", 4);
        put32(h + 40, m_dataBytes);
        std::fseek(m_file, 0, SEEK_SET);
        std::fwrite(h, 1, sizeof h, m_file);
    }
    std::FILE *m_file = nullptr;
    uint32_t m_dataBytes = 0;
    std::vector<int16_t> m_pcm;
};
} // namespace

PacedCard::PacedCard(Mixer *mixer, const QString &wavPath)
    : m_thread([this, mixer, wavPath] { run(mixer, wavPath); })
{
}

PacedCard::~PacedCard()
{
    m_quit = true;
    m_thread.join();
}

void PacedCard::run(Mixer *mixer, QString wavPath)
{
    std::unique_ptr<WavWriter> wav;
    if (!wavPath.isEmpty())
        wav = std::make_unique<WavWriter>(wavPath);
    std::vector<float> block(size_t(kMaxBlock) * 2);
    using clock = std::chrono::steady_clock;
    const auto period = std::chrono::nanoseconds(int64_t(kMaxBlock) * 1000000000 / kCardRate);
    auto next = clock::now();
    while (!m_quit.load()) {
        mixer->render(block.data(), kMaxBlock);
        // The virtual card's own thread stands for the hardware: writing here never delays
        // the mix itself, only this card's next request.
        if (wav)
            wav->write(block.data(), kMaxBlock);
        next += period;
        const auto now = clock::now();
        if (next < now - 10 * period)
            next = now; // the machine stalled: do not rush to catch up
        std::this_thread::sleep_until(next);
    }
}

// ---------------- offline ----------------

bool OfflineBackend::start(int device, const QString &card, Mixer *mixer)
{
    if (!(card.isEmpty() || m_descriptions.contains(card)) || m_descriptions.isEmpty())
        return false;
    mixer->setDecodeInline(true);
    m_mixers[device] = mixer;
    return true;
}

bool OfflineBackend::render(int device, float *out, int frames)
{
    auto it = m_mixers.find(device);
    if (it == m_mixers.end())
        return false;
    while (frames > 0) {
        const int n = std::min(frames, kMaxBlock);
        it->second->render(out, n);
        out += n * 2;
        frames -= n;
    }
    return true;
}

} // namespace audio
