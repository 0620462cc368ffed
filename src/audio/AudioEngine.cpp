#include "AudioEngine.h"

#include "Decoder.h"
#include "Mixer.h"
#include "OutputBackend.h"
#include "Stream.h"
#include "StreamWorker.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}
#include <SDL.h>

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cmath>

namespace audio {

struct AudioEngine::Fft
{
    AVTXContext *ctx = nullptr;
    av_tx_fn fn = nullptr;
    float *in = nullptr;
    AVComplexFloat *out = nullptr;
    float window[kFftSize];
    std::vector<float> history = std::vector<float>(size_t(kHistoryFrames) * 2);

    Fft()
    {
        float scale = 1.f;
        av_tx_init(&ctx, &fn, AV_TX_FLOAT_RDFT, 0, kFftSize, &scale, 0);
        in = static_cast<float *>(av_malloc(sizeof(float) * (kFftSize + 2)));
        out = static_cast<AVComplexFloat *>(av_malloc(sizeof(AVComplexFloat) * (kFftSize / 2 + 1)));
        for (int i = 0; i < kFftSize; ++i)
            window[i] = float(0.5 - 0.5 * std::cos(2.0 * M_PI * i / kFftSize));
    }
    ~Fft()
    {
        av_tx_uninit(&ctx);
        av_free(in);
        av_free(out);
    }
};

AudioEngine &AudioEngine::instance()
{
    static AudioEngine engine;
    return engine;
}

AudioEngine::AudioEngine()
    : m_fft(std::make_unique<Fft>())
{
}

AudioEngine::~AudioEngine()
{
    shutdown();
    // Let the workers finish what they decode; one stuck on a file that never answers is
    // left to the end of the process.
    QElapsedTimer t;
    t.start();
    while (StreamWorker::running() > 0 && t.elapsed() < 1000)
        QThread::msleep(5);
}

void AudioEngine::shutdown()
{
    for (auto &e : m_streams)
        e.second.worker->release();
    for (auto &e : m_opening)
        e.second.worker->release();
    m_opening.clear();
    if (m_backend)
        for (auto &d : m_devices)
            m_backend->stop(d.first);
    for (auto &d : m_devices)
        d.second.silence.reset();
    m_streams.clear();
    m_devices.clear();
}

void AudioEngine::setBackend(std::unique_ptr<OutputBackend> backend)
{
    shutdown();
    m_backend = std::move(backend);
    m_current = 1;
}

OutputBackend &AudioEngine::backend()
{
    if (!m_backend)
        m_backend = OutputBackend::fromEnvironment();
    return *m_backend;
}

bool AudioEngine::decoderVersionMatches()
{
    return (avformat_version() >> 16) == LIBAVFORMAT_VERSION_MAJOR
        && (avcodec_version() >> 16) == LIBAVCODEC_VERSION_MAJOR;
}

bool AudioEngine::effectsVersionMatches()
{
    SDL_version linked;
    SDL_GetVersion(&linked);
    return (avutil_version() >> 16) == LIBAVUTIL_VERSION_MAJOR && linked.major == SDL_MAJOR_VERSION;
}

QString AudioEngine::deviceDescription(int device)
{
    // Asked afresh: cards come and go while the program runs.
    const QStringList list = backend().descriptions();
    return device >= 1 && device <= list.size() ? list.at(device - 1) : QString();
}

bool AudioEngine::init(int device)
{
    if (m_devices.count(device))
        return true;
    const QString description = deviceDescription(device);
    if (description.trimmed().isEmpty())
        return false;
    auto mixer = std::make_unique<Mixer>();
    // Device 1 is whatever the system calls its default output, not a named card.
    const QString card = device == 1 ? QString() : description;
    if (!backend().start(device, card, mixer.get()))
        return false;
    Device &d = m_devices[device];
    d.mixer = std::move(mixer);
    d.card = card;
    d.description = description;
    m_current = device;
    return true;
}

void AudioEngine::setStandIn(int device, bool allowed)
{
    auto it = m_devices.find(device);
    if (it != m_devices.end())
        it->second.standIn = allowed;
}

bool AudioEngine::isPresent(int device) const
{
    auto it = m_devices.find(device);
    return it != m_devices.end() && it->second.where == Where::Own;
}

QString AudioEngine::cardInUse(int device) const
{
    auto it = m_devices.find(device);
    return it == m_devices.end() ? QString() : it->second.description;
}

void AudioEngine::leaveCard(int device, Device &d)
{
    if (d.where == Where::Nowhere) {
        d.silence.reset();
        return;
    }
    // Fade the card out before closing it, unless it is already gone.
    if (!backend().lost(device)) {
        d.mixer->fadeOut();
        QElapsedTimer t;
        t.start();
        while (!d.mixer->faded() && t.elapsed() < 100)
            QThread::msleep(2);
    }
    backend().stop(device);
}

bool AudioEngine::moveTo(int device, Device &d, Where where)
{
    // Raised from silence from the first block the new place plays.
    d.mixer->fadeIn();
    const QString card = where == Where::Own ? d.card : QString();
    if (where != Where::Nowhere && backend().start(device, card, d.mixer.get())) {
        d.where = where;
        d.silence.reset();
        return true;
    }
    if (!d.silence)
        d.silence = std::make_unique<PacedCard>(d.mixer.get());
    d.where = Where::Nowhere;
    return where == Where::Nowhere;
}

std::vector<AudioEngine::CardChange> AudioEngine::watchCards()
{
    std::vector<CardChange> changes;
    if (!m_backend || m_devices.empty() || isOffline())
        return changes;
    const QStringList cards = backend().descriptions().mid(1);
    for (auto &[device, d] : m_devices) {
        const bool mine = d.card.isEmpty() ? !cards.isEmpty() : cards.contains(d.card);
        // The back-end tells a card it stopped; a sound server may instead move the stream
        // elsewhere when the card goes, which only the card list shows.
        if (d.where == Where::Own && (backend().lost(device) || !mine)) {
            leaveCard(device, d);
            moveTo(device, d, d.standIn && !d.card.isEmpty() ? Where::Default : Where::Nowhere);
            changes.push_back({device, d.description, true, d.where == Where::Default});
        } else if (d.where != Where::Own && mine) {
            const Where was = d.where;
            leaveCard(device, d);
            if (moveTo(device, d, Where::Own))
                changes.push_back({device, d.description, false, false});
            else
                moveTo(device, d, was);
        } else if (d.where == Where::Default && backend().lost(device)) {
            // The default output went too: nothing is left to play on.
            backend().stop(device);
            moveTo(device, d, Where::Nowhere);
        }
    }
    return changes;
}

bool AudioEngine::isInitialized(int device) const
{
    return m_devices.count(device) > 0;
}

bool AudioEngine::setDevice(int device)
{
    if (!m_devices.count(device))
        return false;
    m_current = device;
    return true;
}

uint64_t AudioEngine::underruns(int device) const
{
    auto it = m_devices.find(device);
    return it == m_devices.end() ? 0 : it->second.mixer->underruns();
}

double AudioEngine::outputPeakDb(int device)
{
    auto it = m_devices.find(device);
    const float peak = it == m_devices.end() ? 0.f : it->second.mixer->takePeak();
    return peak > 0.f ? std::max(kSilenceDb, 20.0 * std::log10(double(peak))) : kSilenceDb;
}

bool AudioEngine::isOffline() const
{
    return m_backend && m_backend->isOffline();
}

bool AudioEngine::renderOffline(int device, float *out, int frames)
{
    return m_backend && m_backend->render(device, out, frames);
}

uint32_t AudioEngine::streamCreateFile(const QString &path, Entry entry, QString *error)
{
    const uint32_t ticket = streamOpen(path, entry);
    if (!ticket) {
        if (error)
            *error = QStringLiteral("device not initialised");
        return 0;
    }
    switch (streamOpening(ticket, kOpenWaitMs, error)) {
    case Opening::Ready:
        return ticket;
    case Opening::Pending:
        streamForget(ticket);
        return 0;
    case Opening::Failed:
        break;
    }
    return 0;
}

uint32_t AudioEngine::streamOpen(const QString &path, Entry entry)
{
    if (m_devices.find(m_current) == m_devices.end())
        return 0;
    const auto kind = entry == Entry::WindowsMedia ? Decoder::Entry::WindowsMedia : Decoder::Entry::Plain;
    const uint32_t ticket = m_nextHandle++;
    m_opening[ticket] = {nullptr, m_current, StreamWorker::start(path, kind, !isOffline())};
    return ticket;
}

AudioEngine::Opening AudioEngine::streamOpening(uint32_t ticket, int ms, QString *error)
{
    auto it = m_opening.find(ticket);
    if (it == m_opening.end()) {
        if (m_streams.count(ticket))
            return Opening::Ready;
        if (error)
            *error = QStringLiteral("no such opening");
        return Opening::Failed;
    }
    Entry_ e = it->second;
    bool answered = false;
    std::shared_ptr<Stream> stream = e.worker->waitOpened(ms, error, &answered);
    if (!answered)
        return Opening::Pending;
    m_opening.erase(it);
    auto dev = m_devices.find(e.device);
    if (!stream || dev == m_devices.end()) {
        e.worker->release();
        if (stream && error)
            *error = QStringLiteral("device closed");
        return Opening::Failed;
    }
    if (!dev->second.mixer->attach(stream)) {
        e.worker->release();
        if (error)
            *error = QStringLiteral("too many streams on the device");
        return Opening::Failed;
    }
    e.stream = stream;
    m_streams[ticket] = e;
    return Opening::Ready;
}

void AudioEngine::streamForget(uint32_t ticket)
{
    auto it = m_opening.find(ticket);
    if (it == m_opening.end())
        return;
    it->second.worker->release();
    m_opening.erase(it);
}

std::shared_ptr<Stream> AudioEngine::find(uint32_t handle) const
{
    auto it = m_streams.find(handle);
    return it == m_streams.end() ? nullptr : it->second.stream;
}

bool AudioEngine::streamFree(uint32_t handle)
{
    auto it = m_streams.find(handle);
    if (it == m_streams.end())
        return false;
    std::shared_ptr<Stream> stream = it->second.stream;
    stream->stop();
    auto dev = m_devices.find(it->second.device);
    if (dev != m_devices.end())
        dev->second.mixer->detach(stream);
    it->second.worker->release();
    m_streams.erase(it);
    return true;
}

AudioEngine::Entry AudioEngine::streamEntry(uint32_t handle) const
{
    auto s = find(handle);
    return s && s->entry() == Decoder::Entry::WindowsMedia ? Entry::WindowsMedia : Entry::Plain;
}

bool AudioEngine::getAttributes(uint32_t handle, int *frequency, int *volume, int *pan) const
{
    auto s = find(handle);
    if (!s)
        return false;
    s->attributes(frequency, volume, pan);
    return true;
}

bool AudioEngine::setAttributes(uint32_t handle, int frequency, int volume, int pan)
{
    auto s = find(handle);
    return s && s->setAttributes(frequency, volume, pan);
}

bool AudioEngine::setGainDb(uint32_t handle, double db)
{
    auto s = find(handle);
    if (!s)
        return false;
    s->setGain(float(std::pow(10.0, db / 20.0)));
    return true;
}

bool AudioEngine::isEightBit(uint32_t handle) const
{
    auto s = find(handle);
    return s && s->isEightBit();
}

int AudioEngine::sourceRate(uint32_t handle) const
{
    auto s = find(handle);
    return s ? s->sourceRate() : 0;
}

int AudioEngine::sourceChannels(uint32_t handle) const
{
    auto s = find(handle);
    return s ? s->sourceChannels() : 0;
}

bool AudioEngine::play(uint32_t handle)
{
    auto s = find(handle);
    if (!s)
        return false;
    s->play();
    m_streams[handle].worker->wake();
    return true;
}

bool AudioEngine::pause(uint32_t handle)
{
    auto s = find(handle);
    if (!s)
        return false;
    s->pause();
    return true;
}

bool AudioEngine::stop(uint32_t handle)
{
    auto s = find(handle);
    if (!s)
        return false;
    s->stop();
    return true;
}

int AudioEngine::isActive(uint32_t handle) const
{
    auto s = find(handle);
    return s ? int(s->activity()) : 0;
}

bool AudioEngine::ranOut(uint32_t handle) const
{
    auto s = find(handle);
    return s && s->ranOut();
}

int64_t AudioEngine::lengthFrames(uint32_t handle) const
{
    auto s = find(handle);
    return s ? s->lengthFrames() : 0;
}

bool AudioEngine::lengthExact(uint32_t handle) const
{
    auto s = find(handle);
    return s && s->lengthExact();
}

int64_t AudioEngine::positionFrames(uint32_t handle) const
{
    auto s = find(handle);
    return s ? s->positionFrames() : 0;
}

bool AudioEngine::setPositionFrames(uint32_t handle, int64_t frame)
{
    auto s = find(handle);
    if (!s || !s->seek(frame))
        return false;
    m_streams[handle].worker->wake();
    return true;
}

bool AudioEngine::getFft(uint32_t handle, float *magnitudes)
{
    auto s = find(handle);
    if (!s)
        return false;
    Fft &f = *m_fft;
    s->history(f.history.data());
    const float *h = f.history.data() + size_t(kHistoryFrames - kFftSize) * 2;
    for (int i = 0; i < kFftSize; ++i)
        f.in[i] = 0.5f * (h[2 * i] + h[2 * i + 1]) * f.window[i];
    f.fn(f.ctx, f.out, f.in, sizeof(AVComplexFloat));
    // A full-scale sine centred on a bin reads 1.0 there: the Hann window halves the peak,
    // the real transform of N points gives N/2 for a unit sine.
    const float scale = 4.f / kFftSize;
    for (int k = 0; k < kFftSize / 2; ++k)
        magnitudes[k] = std::hypot(f.out[k].re, f.out[k].im) * scale;
    return true;
}

int AudioEngine::getSamples(uint32_t handle, void *buffer, int bytes)
{
    auto s = find(handle);
    if (!s || !buffer || bytes <= 0)
        return 0;
    Fft &f = *m_fft;
    s->history(f.history.data());
    const int frames = std::min(bytes / 4, kHistoryFrames);
    const float *src = f.history.data() + size_t(kHistoryFrames - frames) * 2;
    auto *out = static_cast<int16_t *>(buffer);
    for (int i = 0; i < frames * 2; ++i)
        out[i] = int16_t(std::lrint(std::clamp(src[i], -1.f, 1.f) * 32767.f));
    return frames * 4;
}

bool AudioEngine::dspSet(uint32_t handle, int type, int priority)
{
    auto s = find(handle);
    return s && s->dsp().set(type, priority);
}

bool AudioEngine::dspRemove(uint32_t handle, int type)
{
    auto s = find(handle);
    return s && s->dsp().remove(type);
}

bool AudioEngine::dspSetParameters(uint32_t handle, int type, const void *block)
{
    auto s = find(handle);
    return s && s->dsp().setParameters(type, block);
}

bool AudioEngine::dspGetParameters(uint32_t handle, int type, void *block)
{
    auto s = find(handle);
    return s && s->dsp().getParameters(type, block);
}

bool AudioEngine::waitForLengths(int ms)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        bool all = true;
        for (auto &e : m_streams)
            all = all && e.second.stream->lengthExact();
        if (all)
            return true;
        if (t.elapsed() > ms)
            return false;
        QThread::msleep(5);
    }
}

} // namespace audio
