#include "TMorvelBass.h"

#include "AudioEngine.h"
#include "settings/funcoes.h"

#include <QCoreApplication>
#include <QDir>
#include <utility>

using audio::AudioEngine;

static QVector<int> &initializedDevices()
{
    static QVector<int> list;
    return list;
}

const QVector<int> &TMorvelBass::InitializedDevices()
{
    return initializedDevices();
}

TMorvelBass::TMorvelBass(QObject *owner)
    : QObject(owner)
{
}

TMorvelBass::~TMorvelBass()
{
    AbandonLoad();
    // Never leave a stream playing with nobody to stop it.
    if (Channel)
        AudioEngine::instance().streamFree(Channel);
}

static AudioEngine &engine()
{
    return AudioEngine::instance();
}

bool TMorvelBass::active() const
{
    return Channel && engine().isActive(Channel) != 0;
}

void TMorvelBass::refreshCache()
{
    engine().getAttributes(Channel, &m_frequency, &m_volume, &m_pan);
}

int TMorvelBass::Frequency()
{
    if (active())
        refreshCache();
    return m_frequency;
}

int TMorvelBass::Volume()
{
    if (active())
        refreshCache();
    return m_volume;
}

int TMorvelBass::Pan()
{
    if (active())
        refreshCache();
    return m_pan;
}

void TMorvelBass::setVolume(int value)
{
    if (!active())
        return;
    engine().setAttributes(Channel, m_frequency, value, m_pan);
    m_volume = value;
}

void TMorvelBass::setPan(int value)
{
    if (active() && engine().setAttributes(Channel, m_frequency, m_volume, value))
        m_pan = value;
}

void TMorvelBass::setFrequency(int value)
{
    if (active() && engine().setAttributes(Channel, value, m_volume, m_pan))
        m_frequency = value;
}

void TMorvelBass::OpenDevice(int device, quintptr)
{
    if (EndTimer) {
        funcoes::mensagem(QStringLiteral("Canal já Criado - Verifique"));
        return;
    }
    if (!AudioEngine::decoderVersionMatches()) {
        funcoes::mensagem(QStringLiteral("QUORVANTI-BASS.DLL Detectado Versão diferente de 2.0"));
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    }
    if (!AudioEngine::effectsVersionMatches()) {
        funcoes::mensagem(QStringLiteral("QUORVANTI-BASS_FX.DLL Detectado Versão diferente de 2.0"));
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    }
    if (!initializedDevices().contains(device)) {
        if (!engine().init(device)) {
            // Fourteen players share a card: one message per failing card is enough.
            static QVector<int> reported;
            if (!reported.contains(device)) {
                reported.append(device);
                funcoes::mensagem(QStringLiteral("Inicialização da Device com Problemas"));
            }
            return;
        }
        initializedDevices().append(device);
    }
    Looping = false;
    Device = device;
    EndTimer = new TThreadedTimer(this);
    EndTimer->setInterval(60);
    EndTimer->OnTimer = [this](TThreadedTimer *) { EndTick(); };
    FadeTimer = new TThreadedTimer(this);
    FadeTimer->setInterval(300);
    FadeTimer->OnTimer = [this](TThreadedTimer *) { FadeTick(); };
}

void TMorvelBass::SetDevice(int device)
{
    engine().setDevice(device);
    Device = device;
}

void TMorvelBass::removeEffects(uint32_t handle)
{
    for (int type : {audio::DspEqualizer, audio::DspFlanger, audio::DspEcho, audio::DspCut,
                     audio::DspUnused6, audio::DspUnused14})
        engine().dspRemove(handle, type);
}

void TMorvelBass::FreeStream()
{
    AbandonLoad();
    if (Channel) {
        engine().setDevice(Device);
        const uint32_t freeing = Channel;
        if (Playing)
            Stop();
        // The stop handler may have freed this stream and loaded another: that one stays.
        if (Channel != freeing)
            return;
        removeEffects(Channel);
        engine().streamFree(Channel);
    }
    Loaded = false;
    Channel = 0;
    if (EndTimer)
        EndTimer->setEnabled(false);
}

QString TMorvelBass::titleOf(const QString &path)
{
    int cut = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max<int>(cut, path.lastIndexOf(QLatin1Char('\\')));
    if (cut < 0)
        cut = path.lastIndexOf(QLatin1Char(':'));
#endif
    return cut < 0 ? path : path.mid(cut + 1);
}

void TMorvelBass::LoadFile(const QString &path)
{
    BeginLoad(path);
    QString why;
    switch (PollLoad(AudioEngine::kOpenWaitMs, &why)) {
    case LoadState::Loaded:
        return;
    case LoadState::Pending:
        AbandonLoad();
        why = QStringLiteral("the file does not answer");
        break;
    case LoadState::Refused:
        funcoes::mensagem(QStringLiteral("16-bit stereo sources only. Please select another."));
        return;
    case LoadState::Idle:
        why = QStringLiteral("the player's sound device is not open");
        break;
    case LoadState::Failed:
        break;
    }
    throw audio::LoadError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why).toStdString());
}

void TMorvelBass::BeginLoad(const QString &path)
{
    AbandonLoad();
    Playing = false;
    Loaded = false;
    if (Channel) {
        removeEffects(Channel);
        engine().streamFree(Channel);
        Channel = 0;
    }
    if (!engine().setDevice(Device))
        throw audio::LoadError("the player's sound device is not open");
    engine().setBufferLength(1000);
    const auto entry = path.toUpper().contains(QLatin1String(".WMA")) ? AudioEngine::Entry::WindowsMedia
                                                                       : AudioEngine::Entry::Plain;
    m_ticket = engine().streamOpen(path, entry);
    if (m_ticket)
        m_loading = path;
}

TMorvelBass::LoadState TMorvelBass::PollLoad(int ms, QString *why)
{
    if (!m_ticket)
        return LoadState::Idle;
    QString reason;
    switch (engine().streamOpening(m_ticket, ms, &reason)) {
    case AudioEngine::Opening::Pending:
        return LoadState::Pending;
    case AudioEngine::Opening::Failed:
        m_ticket = 0;
        m_loading.clear();
        if (why)
            *why = reason;
        return LoadState::Failed;
    case AudioEngine::Opening::Ready:
        break;
    }
    Channel = m_ticket;
    m_ticket = 0;
    const QString path = std::exchange(m_loading, QString());
    Title = titleOf(path);
    FileName = path;
    refreshCache();
    if (engine().isEightBit(Channel)) {
        engine().streamFree(Channel);
        Channel = 0;
        return LoadState::Refused;
    }
    Loaded = true;
    return LoadState::Loaded;
}

void TMorvelBass::AbandonLoad()
{
    if (m_ticket)
        engine().streamForget(m_ticket);
    m_ticket = 0;
    m_loading.clear();
}

void TMorvelBass::Play()
{
    if (!Loaded || !Channel)
        return;
    engine().setAttributes(Channel, m_frequency, m_volume, m_pan);
    Paused = false;
    try {
        engine().play(Channel);
    } catch (...) {
    }
    Playing = true;
    if (EndTimer)
        EndTimer->setEnabled(true);
    if (FadeTimer)
        FadeTimer->setEnabled(false);
}

void TMorvelBass::Pause()
{
    if (!Loaded)
        return;
    engine().pause(Channel);
    Paused = true;
    if (EndTimer)
        EndTimer->setEnabled(false);
}

void TMorvelBass::Stop()
{
    Playing = false;
    if (!Loaded)
        return;
    if (EndTimer)
        EndTimer->setEnabled(false);
    if (FadeTimer)
        FadeTimer->setEnabled(false);
    DoStop();
    // Read again: the handler may have loaded another file into this player, and even have
    // started it while a box it showed let the show go on. A stream playing now is not stopped.
    if (Playing)
        return;
    engine().stop(Channel);
    Paused = false;
    FadeLevel = uint32_t(m_volume);
}

void TMorvelBass::DoStop()
{
    if (OnStop)
        OnStop(this);
}

void TMorvelBass::SetGain(double db)
{
    if (Channel)
        engine().setGainDb(Channel, db);
}

void TMorvelBass::FadeOut(int duration)
{
    if (!Playing || Paused || !FadeTimer || FadeTimer->Enabled())
        return;
    FadeLevel = uint32_t(m_volume);
    FadeTimer->setInterval(duration / 15);
    FadeTimer->setEnabled(true);
}

void TMorvelBass::FadeTick()
{
    if (Playing) {
        uint32_t level = FadeLevel;
        if (level >= 75 && level <= 100)
            level -= 9;
        else if (level >= 41 && level <= 74)
            level -= 4;
        else if (level >= 11 && level <= 40)
            level -= 3;
        else if (level <= 10 && level > 0)
            level -= 1;
        if (level <= 10) {
            if (FadeTimer)
                FadeTimer->setEnabled(false);
            FadeLevel = 0;
            Stop();
        } else {
            FadeLevel = level;
            engine().setAttributes(Channel, m_frequency, int(level), m_pan);
        }
    }
    if (FadeLevel <= 1) {
        if (FadeTimer)
            FadeTimer->setEnabled(false);
        Stop();
    }
}

void TMorvelBass::EndTick()
{
    if (!Playing) {
        Stop();
        return;
    }
    // A stream that ran out has ended even if its announced length was never reached; an
    // estimated length alone never ends a track early.
    const bool ranOut = Channel && engine().ranOut(Channel);
    const bool reached = Channel && engine().lengthExact(Channel) && GetPosition() >= GetLength();
    if (!ranOut && !reached)
        return;
    if (Looping)
        Play();
    else
        Stop();
}

uint32_t TMorvelBass::GetLength()
{
    const int rate = engine().sourceRate(Channel);
    return rate > 0 ? uint32_t(engine().lengthFrames(Channel) * 1000 / rate) : 0;
}

uint32_t TMorvelBass::GetPosition()
{
    const int rate = engine().sourceRate(Channel);
    return rate > 0 ? uint32_t(engine().positionFrames(Channel) * 1000 / rate) : 0;
}

bool TMorvelBass::SetPosition(uint32_t ms)
{
    const int rate = engine().sourceRate(Channel);
    // Rounded up, so the position read back is the millisecond asked for.
    return rate > 0 && engine().setPositionFrames(Channel, (int64_t(ms) * rate + 999) / 1000);
}

void TMorvelBass::GetFFT(float *buffer)
{
    engine().getFft(Channel, buffer);
}

void TMorvelBass::GetSamples(void *buffer, int bytes)
{
    engine().getSamples(Channel, buffer, bytes);
}

int TMorvelBass::DeviceCount()
{
    int count = 0;
    for (int n = 1; n <= 10; ++n)
        if (!engine().deviceDescription(n).trimmed().isEmpty())
            ++count;
    return count;
}

QString TMorvelBass::DeviceDescription(int device)
{
    return engine().deviceDescription(device);
}

// ---------------- effects and equaliser ----------------

void TMorvelBass::SetFlanger(bool on)
{
    if (on)
        engine().dspSet(Channel, audio::DspFlanger, 1);
    else
        engine().dspRemove(Channel, audio::DspFlanger);
}

void TMorvelBass::SetFlangerDepth(int a, int b, int depth)
{
    engine().dspGetParameters(Channel, audio::DspFlanger, &FlangerParams);
    int frequency = 0, volume = 0, pan = 0;
    engine().getAttributes(Channel, &frequency, &volume, &pan);
    FlangerParams.delayMs = float(a) / 100.f;
    FlangerParams.rate = frequency;
    FlangerParams.tempo = float(b);
    FlangerParams.depth = float(depth);
    engine().dspSetParameters(Channel, audio::DspFlanger, &FlangerParams);
}

void TMorvelBass::SetCut(bool on)
{
    if (on)
        engine().dspSet(Channel, audio::DspCut, 1);
    else
        engine().dspRemove(Channel, audio::DspCut);
}

void TMorvelBass::SetEcho(bool on)
{
    if (on) {
        engine().dspSet(Channel, audio::DspEcho, 1);
        SetEchoParams(1);
    } else {
        engine().dspRemove(Channel, audio::DspEcho);
    }
}

void TMorvelBass::SetEchoParams(int repeats)
{
    if (repeats > 6)
        repeats = 6;
    EchoParams = {1.f, 1.f, 0.f, float(repeats)};
    engine().dspSetParameters(Channel, audio::DspEcho, &EchoParams);
}

void TMorvelBass::SetEqualizer(bool on)
{
    if (on) {
        int rate = EqBlock.rate;
        engine().getAttributes(Channel, &rate, &m_volume, &m_pan);
        for (int band = 0; band < 10; ++band)
            engine().dspSet(Channel, audio::DspEqualizer, 0);
        EqBlock.rate = rate;
        EqBlock.bandwidth = 2.5f;
        EqBlock.q = 0.f;
        EqBlock.gain = 0.f;
    } else {
        engine().dspRemove(Channel, audio::DspEqualizer);
    }
    EqAtivo = on;
}

void TMorvelBass::SetEqualizerBand(int band, int centre, int position)
{
    if (!EqAtivo)
        return;
    EqBlock.band = band;
    engine().dspGetParameters(Channel, audio::DspEqualizer, &EqBlock);
    EqBlock.centre = float(centre);
    EqBlock.gain = float(position - 10);
    engine().dspSetParameters(Channel, audio::DspEqualizer, &EqBlock);
}
