#include "ui/qt_sound.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

#include "nav/alarms.h"
#include "ui/program_modules.h"
#include "ui/sound_channel.h"

namespace mw {

namespace {

// The playing time of a readable WAV file, from its header.
std::optional<int> WavFileMs(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    // Headers with a few extra chunks before the data fit in 4 KiB.
    const QByteArray head = f.read(4096);
    return WavDurationMs(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
}

}  // namespace

QtSound::QtSound(QObject* parent, QString modulePath)
    : QObject(parent), modulePath_(std::move(modulePath)) {
    step_.setSingleShot(true);
    connect(&step_, &QTimer::timeout, this, [this] {
        busy_ = false;
        PlayNext();
    });
}

QtSound::~QtSound() = default;

bool QtSound::EnsureModule() {
    if (moduleTried_) return makeChannel_ != nullptr;
    moduleTried_ = true;
    QString error;
    auto make = reinterpret_cast<Factory>(
        LoadModuleEntry(kSoundModuleFile, modulePath_, kSoundModuleEntry, &error));
    if (make == nullptr) {
        std::fprintf(stderr, "mapwanderer: sound is unavailable (%s); alarms beep instead\n",
                     qPrintable(error));
        return false;
    }
    makeChannel_ = make;
    once_.reset(makeChannel_(false));
    loop_.reset(makeChannel_(true));
    return true;
}

bool QtSound::PlayOnce(const std::string& path) {
    const QString file = QFile::decodeName(path.c_str());
    const std::optional<int> ms = WavFileMs(file);
    if (!ms || !EnsureModule()) return false;
    queue_.push_back(Item{file, *ms});
    PlayNext();
    return true;
}

bool QtSound::PlayLooping(const std::string& path) {
    Stop();
    const QString file = QFile::decodeName(path.c_str());
    if (!WavFileMs(file) || !EnsureModule()) return false;
    loop_->Play(file);
    looping_ = true;
    return true;
}

void QtSound::Stop() {
    if (loop_) loop_->Stop();
    looping_ = false;
}

void QtSound::Beep() {
    queue_.push_back(Item{QString(), kBeepMs});
    PlayNext();
}

void QtSound::PlayNext() {
    if (busy_ || queue_.empty()) return;
    const Item item = queue_.front();
    queue_.pop_front();
    busy_ = true;
    if (item.path.isEmpty())
        QApplication::beep();
    else
        once_->Play(item.path);
    // Paced by the file's own length, not by the effect's playing state:
    // without an audio device that state never changes.
    step_.start(item.ms + kGapMs);
}

}  // namespace mw
