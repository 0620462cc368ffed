#pragma once
// A player on the first offline card, and the left side of everything that card played:
// shared by the sound tests and the sound benchmark, so both hear the same way.
#include "audio/AudioEngine.h"
#include "audio/AudioTypes.h"
#include "audio/TMorvelBass.h"

#include <QString>
#include <vector>

namespace testsupport {

struct OfflineDeck
{
    TMorvelBass player;
    std::vector<float> left;

    // Plays the file from its first frame.
    explicit OfflineDeck(const QString &file)
    {
        player.OpenDevice(1);
        player.LoadFile(file);
        player.SetPosition(0);
        player.Play();
    }
    ~OfflineDeck() { player.FreeStream(); }
    OfflineDeck(const OfflineDeck &) = delete;
    OfflineDeck &operator=(const OfflineDeck &) = delete;

    void run(double seconds)
    {
        const int frames = int(seconds * audio::kCardRate);
        std::vector<float> block(size_t(frames) * 2);
        audio::AudioEngine::instance().renderOffline(1, block.data(), frames);
        for (int i = 0; i < frames; ++i)
            left.push_back(block[size_t(i) * 2]);
    }
    int now() const { return int(left.size()); }
};

} // namespace testsupport
