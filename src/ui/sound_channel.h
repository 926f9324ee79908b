// What the program asks of its sound module. The module (mapwanderer-sound,
// built from src/ui/sound/) is the only part linked to Qt Multimedia, whose
// twenty-odd libraries would otherwise be loaded at every start; the program
// loads it on the first sound file it plays.
#pragma once

#include <QString>

namespace mw {

// One voice: plays a WAV file once or looping, replacing what it played.
class SoundChannel {
public:
    virtual ~SoundChannel() = default;
    virtual void Play(const QString& file) = 0;
    virtual void Stop() = 0;
};

// The module's one entry point: a new channel, looping or not, that the
// caller owns. The name carries a version so that a stale module of another
// build is refused instead of called with another layout.
using SoundChannelFactory = SoundChannel* (*)(bool looping);
inline constexpr char kSoundModuleEntry[] = "mw_sound_channel_new_v1";
// The module's file name, beside the program in the build tree and in the
// program's own library folder when installed.
inline constexpr char kSoundModuleFile[] = "mapwanderer-sound.so";

}  // namespace mw
