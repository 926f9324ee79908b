// The sound module: SoundChannel over QSoundEffect. QSoundEffect, not
// QMediaPlayer: without an audio device it loads and plays silently, where
// the player crashes.
#include <QSoundEffect>
#include <QUrl>
#include <type_traits>

#include "ui/sound_channel.h"

namespace {

class EffectChannel : public mw::SoundChannel {
public:
    explicit EffectChannel(bool looping) {
        if (looping) effect_.setLoopCount(QSoundEffect::Infinite);
    }
    void Play(const QString& file) override {
        effect_.stop();
        effect_.setSource(QUrl::fromLocalFile(file));
        effect_.play();
    }
    void Stop() override { effect_.stop(); }

private:
    QSoundEffect effect_;
};

}  // namespace

extern "C" Q_DECL_EXPORT mw::SoundChannel* mw_sound_channel_new_v1(bool looping) {
    return new EffectChannel(looping);
}

static_assert(std::is_same_v<decltype(&mw_sound_channel_new_v1), mw::SoundChannelFactory>,
              "the entry point must match what the program calls");
