#pragma once
// Where the mix of each card goes: real sound cards (SDL), silent or recording virtual cards
// paced in real time, or an offline card that a test or benchmark renders block by block.
#include <QString>
#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <thread>

namespace audio {

class Mixer;

class OutputBackend
{
public:
    virtual ~OutputBackend() = default;
    // Descriptions of the devices numbered from 1; an empty text means no device there.
    virtual QStringList descriptions() = 0;
    // Starts pulling blocks from `mixer` for the device: on the card named `card`, or on the
    // system's default output when `card` is empty. False if the card cannot be opened.
    virtual bool start(int device, const QString &card, Mixer *mixer) = 0;
    virtual void stop(int device) = 0;
    // The back-end stopped the card the device plays on (unplugged, or dropped by its server).
    virtual bool lost(int /*device*/) { return false; }
    // Offline cards are rendered by the caller and decode inline.
    virtual bool isOffline() const { return false; }
    // Offline only: renders one block of the device into `out`.
    virtual bool render(int /*device*/, float * /*out*/, int /*frames*/) { return false; }

    // Builds the back-end that VELARIX_AUDIO names (sdl, null:N, record:DIR:N, offline:N).
    static std::unique_ptr<OutputBackend> fromEnvironment();
};

class SdlBackend : public OutputBackend
{
public:
    ~SdlBackend() override;
    QStringList descriptions() override;
    bool start(int device, const QString &card, Mixer *mixer) override;
    void stop(int device) override;
    bool lost(int device) override;

private:
    bool ensureInit();
    bool m_init = false;
    std::map<int, unsigned> m_open; // device number -> SDL device id
};

// A card that exists only as a clock: its own thread pulls the mix in real time, writing it
// to a WAV file when given one. Also stands in for a card that is gone, so its players'
// clocks run on in silence.
class PacedCard
{
public:
    explicit PacedCard(Mixer *mixer, const QString &wavPath = QString());
    ~PacedCard();

private:
    void run(Mixer *mixer, QString wavPath);
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

// Virtual cards paced by a clock; with a folder, card k is recorded to DIR/cardk.wav.
class PacedBackend : public OutputBackend
{
public:
    PacedBackend(QStringList descriptions, QString recordDir = QString());
    QStringList descriptions() override { return m_descriptions; }
    bool start(int device, const QString &card, Mixer *mixer) override;
    void stop(int device) override { m_cards.erase(device); }

private:
    QStringList m_descriptions;
    QString m_recordDir;
    std::map<int, std::unique_ptr<PacedCard>> m_cards;
};

class OfflineBackend : public OutputBackend
{
public:
    explicit OfflineBackend(QStringList descriptions) : m_descriptions(std::move(descriptions)) {}
    QStringList descriptions() override { return m_descriptions; }
    bool start(int device, const QString &card, Mixer *mixer) override;
    void stop(int device) override { m_mixers.erase(device); }
    bool isOffline() const override { return true; }
    bool render(int device, float *out, int frames) override;

private:
    QStringList m_descriptions;
    std::map<int, Mixer *> m_mixers;
};

} // namespace audio
