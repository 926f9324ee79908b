// The Sound port on the desktop, with QSoundEffect. Sounds played once wait
// in a queue and play one after another without blocking the caller (the
// speed monitor's beeps are heard as two or three, never as one); the
// looping alarm sound plays beside them. Without an audio device, or for a
// file that is no WAV, everything stays silent: nothing waits on a device.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>

#include "ports/system.h"

class QSoundEffect;

namespace mw {

class QtSound : public QObject, public Sound {
    Q_OBJECT
public:
    explicit QtSound(QObject* parent = nullptr);
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

    // Time between two queued beeps, and after a sound before the next.
    static constexpr int kBeepMs = 250;
    static constexpr int kGapMs = 60;

private:
    struct Item {
        QString path;  // empty: a beep
        int ms = 0;    // playing time
    };
    void PlayNext();

    std::deque<Item> queue_;
    bool busy_ = false;
    bool looping_ = false;
    QTimer step_;  // the end of the item playing
    QSoundEffect* once_ = nullptr;
    QSoundEffect* loop_ = nullptr;
};

}  // namespace mw
