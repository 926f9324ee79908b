// The Sound port on the desktop. Sounds played once wait in a queue and play
// one after another without blocking the caller (the speed monitor's beeps
// are heard as two or three, never as one); the looping alarm sound plays
// beside them. Without an audio device, or for a file that is no WAV,
// everything stays silent: nothing waits on a device.
//
// Sound files are played by the sound module (sound_channel.h), loaded on
// the first one, so the audio libraries cost nothing at start. Without the
// module the program says so once on standard error and sound files are
// refused (false), so that warnings fall back to the desktop's beep.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <memory>

#include "ports/system.h"

namespace mw {

class SoundChannel;


class QtSound : public QObject, public Sound {
    Q_OBJECT
public:
    // `modulePath` empty: the module where the program keeps its modules
    // (program_modules.h).
    explicit QtSound(QObject* parent = nullptr, QString modulePath = {});
    ~QtSound() override;

    // Queued behind whatever plays; false (and nothing queued) for a file
    // that cannot be read as a WAV file.
    bool PlayOnce(const std::string& path) override;
    // Replaces the looping sound; false (silence) for a file that is no WAV.
    bool PlayLooping(const std::string& path) override;
    // Stops the looping alarm sound. The queue of sounds played once goes
    // on: a speed warning is not lost because an alarm ended.
    void Stop() override;
    // The desktop's beep, queued like a sound.
    void Beep() override;

    // Sounds and beeps still waiting or playing, for tests.
    int QueuedCount() const { return static_cast<int>(queue_.size()) + (busy_ ? 1 : 0); }
    bool Looping() const { return looping_; }
    // Whether the sound module was loaded (it is, at the first sound file),
    // and whether it was sought and not found or refused.
    bool ModuleLoaded() const { return makeChannel_ != nullptr; }
    bool ModuleMissing() const { return moduleTried_ && makeChannel_ == nullptr; }

    // Time between two queued beeps, and after a sound before the next.
    static constexpr int kBeepMs = 250;
    static constexpr int kGapMs = 60;

private:
    struct Item {
        QString path;  // empty: a beep
        int ms = 0;    // playing time
    };
    void PlayNext();
    // Loads the module once; false when it cannot be had.
    bool EnsureModule();

    using Factory = SoundChannel* (*)(bool);

    std::deque<Item> queue_;
    bool busy_ = false;
    bool looping_ = false;
    QTimer step_;  // the end of the item playing
    QString modulePath_;
    bool moduleTried_ = false;
    Factory makeChannel_ = nullptr;
    std::unique_ptr<SoundChannel> once_;
    std::unique_ptr<SoundChannel> loop_;
};

}  // namespace mw
