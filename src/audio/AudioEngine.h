#pragma once
// The process-wide audio engine: sound devices and streams by handle, each stream with its
// own decoding worker. Every call is made from the UI thread; handles are plain numbers,
// 0 meaning none, and a call with an unknown handle simply fails. No call waits on a file,
// except the opening of one, and that a bounded time.
#include "AudioTypes.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

namespace audio {

class Mixer;
class OutputBackend;
class PacedCard;
class Stream;
class StreamWorker;

class AudioEngine
{
public:
    static AudioEngine &instance();

    // Replaces the output back-end (closing every device and stream). Tests use it for an
    // offline card or a made-up device list; normally VELARIX_AUDIO decides.
    void setBackend(std::unique_ptr<OutputBackend> backend);

    // Major versions of the decoding and effect libraries found at run time, next to the
    // ones the program was built with.
    static bool decoderVersionMatches();
    static bool effectsVersionMatches();

    // Devices, numbered from 1.
    QString deviceDescription(int device);
    bool init(int device);
    bool isInitialized(int device) const;
    bool setDevice(int device);
    int currentDevice() const { return m_current; }
    void setBufferLength(int ms) { m_bufferMs = ms; }
    uint64_t underruns(int device) const;
    // The loudest sample the device's mix sent out since the last call, in dBFS (kSilenceDb
    // for nothing at all, or a device that is not open).
    static constexpr double kSilenceDb = -120.0;
    double outputPeakDb(int device);

    // A card can vanish and return while the program runs. watchCards(), called a few times a
    // second from the UI thread, notices it: the lost card's mix moves to the system's default
    // output (or, for a device that may not stand in there, runs on in silence) and goes back
    // to its card when a card of that name is listed again. Clocks never stop.
    struct CardChange
    {
        int device;
        QString card;    // the card's description
        bool lost;       // else it came back
        bool onDefault;  // lost, and the default output plays in its place
    };
    std::vector<CardChange> watchCards();
    // The listening card's mix is never moved onto the default output, which the audience hears.
    void setStandIn(int device, bool allowed);
    // Open and playing on the card it was opened on.
    bool isPresent(int device) const;
    // Description of the card the device was opened on, empty when it is not open.
    QString cardInUse(int device) const;
    bool isOffline() const;
    bool renderOffline(int device, float *out, int frames);

    // Streams on the current device.
    enum class Entry { Plain, WindowsMedia };
    uint32_t streamCreateFile(const QString &path, Entry entry = Entry::Plain, QString *error = nullptr);
    // The same without waiting: streamOpen starts opening and gives a ticket; streamOpening
    // waits at most `ms` for it. Once Ready the ticket is the stream's handle; a Failed or
    // forgotten ticket is gone.
    enum class Opening { Pending, Ready, Failed };
    uint32_t streamOpen(const QString &path, Entry entry);
    Opening streamOpening(uint32_t ticket, int ms, QString *error = nullptr);
    void streamForget(uint32_t ticket);
    bool streamFree(uint32_t handle);
    Entry streamEntry(uint32_t handle) const;
    bool getAttributes(uint32_t handle, int *frequency, int *volume, int *pan) const;
    bool setAttributes(uint32_t handle, int frequency, int volume, int pan);
    bool setGainDb(uint32_t handle, double db);
    bool isEightBit(uint32_t handle) const;
    int sourceRate(uint32_t handle) const;
    int sourceChannels(uint32_t handle) const;
    bool play(uint32_t handle);
    bool pause(uint32_t handle);
    bool stop(uint32_t handle);
    int isActive(uint32_t handle) const; // 0 stopped, 1 playing, 2 stalled, 3 paused
    bool ranOut(uint32_t handle) const;
    int64_t lengthFrames(uint32_t handle) const;
    bool lengthExact(uint32_t handle) const;
    int64_t positionFrames(uint32_t handle) const;
    bool setPositionFrames(uint32_t handle, int64_t frame);
    // 512 magnitudes of a 1024-point transform of the stream's latest output.
    bool getFft(uint32_t handle, float *magnitudes);
    // The stream's latest output as 16-bit stereo; returns the bytes written.
    int getSamples(uint32_t handle, void *buffer, int bytes);

    bool dspSet(uint32_t handle, int type, int priority);
    bool dspRemove(uint32_t handle, int type);
    bool dspSetParameters(uint32_t handle, int type, const void *block);
    bool dspGetParameters(uint32_t handle, int type, void *block);

    // Waits (at most `ms`) until the exact lengths of all streams are known. For tests.
    bool waitForLengths(int ms);

    // How long opening a file may keep the caller waiting before it counts as unreadable.
    static constexpr int kOpenWaitMs = 2000;

    ~AudioEngine();

private:
    AudioEngine();
    std::shared_ptr<Stream> find(uint32_t handle) const;
    void shutdown();
    OutputBackend &backend();

    enum class Where { Own, Default, Nowhere };
    struct Device
    {
        std::unique_ptr<Mixer> mixer;
        QString card;        // empty: the system's default output
        QString description; // as listed when opened
        Where where = Where::Own;
        bool standIn = true;
        std::unique_ptr<PacedCard> silence; // the clock while no card plays it
    };
    void leaveCard(int device, Device &d);
    // Starts the device's mix on its card, the default output or a silent clock; false if
    // it could not go there and runs on the silent clock instead.
    bool moveTo(int device, Device &d, Where where);
    std::unique_ptr<OutputBackend> m_backend;
    std::map<int, Device> m_devices;
    int m_current = 1;
    int m_bufferMs = 1000;

    struct Entry_
    {
        std::shared_ptr<Stream> stream;
        int device;
        std::shared_ptr<StreamWorker> worker;
    };
    std::map<uint32_t, Entry_> m_streams;
    std::map<uint32_t, Entry_> m_opening; // tickets: the stream is still null
    uint32_t m_nextHandle = 1;

    struct Fft;
    std::unique_ptr<Fft> m_fft;
};

} // namespace audio
