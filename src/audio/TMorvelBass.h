#pragma once
// The player: the one class through which the console makes sound. Each instance holds at
// most one stream and knows how to load, play, pause, stop, seek, fade out by itself,
// notice the end of its stream, and hand out spectrum and sample data.
//
// Lengths and positions are milliseconds of the track (frames x 1000 / the file's rate).
#include "AudioTypes.h"
#include "TThreadedTimer.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <functional>
#include <stdexcept>

namespace audio {
// Raised by LoadFile when the file gives no playable stream (unreadable, unsupported,
// corrupt or empty), so the caller can tell the operator instead of "playing" silence.
class LoadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
}

class TMorvelBass : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Frequency READ Frequency WRITE setFrequency)
    Q_PROPERTY(int Pan READ Pan WRITE setPan)
    Q_PROPERTY(int Volume READ Volume WRITE setVolume)
public:
    explicit TMorvelBass(QObject *owner = nullptr);
    ~TMorvelBass() override;

    // Fields, in the order the console knows them.
    int Device = 0;
    QString Title;
    QString FileName;
    bool Looping = false;
    audio::EqualizerBlock EqBlock{0, 0, 2.5f, 0.f, 0.f, 0.f};
    audio::FlangerBlock FlangerParams{0.f, 0, 0.f, 0.f};
    audio::EchoBlock EchoParams{1.f, 1.f, 0.f, 1.f};
    uint32_t Channel = 0;
    bool Loaded = false;
    bool Playing = false;
    bool Paused = false;
    uint32_t FadeLevel = 0;
    std::function<void(TMorvelBass *)> OnStop;
    bool EqAtivo = false;
    TThreadedTimer *EndTimer = nullptr;
    TThreadedTimer *FadeTimer = nullptr;

    int Frequency();
    void setFrequency(int value);
    int Pan();
    void setPan(int value);
    int Volume();
    void setVolume(int value);

    void OpenDevice(int device, quintptr window = 0);
    void SetDevice(int device);
    void FreeStream();
    void LoadFile(const QString &path);
    // Loading without waiting on the file: BeginLoad frees the current stream and starts
    // opening `path`; PollLoad waits at most `ms` and, once the file opened, completes the
    // load as LoadFile does. Another load, FreeStream or AbandonLoad drops a pending one.
    // Refused: the file opened but holds a source the player cannot play (8-bit).
    enum class LoadState { Idle, Pending, Loaded, Failed, Refused };
    void BeginLoad(const QString &path);
    LoadState PollLoad(int ms, QString *why = nullptr);
    void AbandonLoad();
    QString LoadingFile() const { return m_loading; }
    void Play();
    void Pause();
    void Stop();
    void FadeOut(int duration);
    // A gain on top of the volume for the stream loaded now (loudness normalisation); set it
    // before Play, as a change while playing is heard.
    void SetGain(double db);
    uint32_t GetLength();
    uint32_t GetPosition();
    bool SetPosition(uint32_t ms);
    void GetFFT(float *buffer);
    void GetSamples(void *buffer, int bytes);
    int DeviceCount();
    QString DeviceDescription(int device);

    // Effects and equaliser.
    void SetFlanger(bool on);
    void SetFlangerDepth(int a, int b, int depth);
    void SetCut(bool on);
    void SetEcho(bool on);
    void SetEchoParams(int repeats);
    void SetEqualizer(bool on);
    void SetEqualizerBand(int band, int centre, int position);

    // Clock handlers, public so the console and tests can step them.
    void EndTick();
    void FadeTick();

    // The devices some player has initialised in this process.
    static const QVector<int> &InitializedDevices();
    // The part of a path after its last separator (the title shown for a file).
    static QString titleOf(const QString &path);

protected:
    virtual void DoStop();

private:
    bool active() const;
    void refreshCache();
    void removeEffects(uint32_t handle);

    uint32_t m_ticket = 0; // the opening in progress
    QString m_loading;
    int m_frequency = 0;
    int m_volume = 0;
    int m_pan = 0;
};
