#include "ui/qt_sound.h"

#include <QApplication>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#include "nav/alarms.h"

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

QtSound::QtSound(QObject* parent)
    : QObject(parent), once_(new QSoundEffect(this)), loop_(new QSoundEffect(this)) {
    step_.setSingleShot(true);
    connect(&step_, &QTimer::timeout, this, [this] {
        busy_ = false;
        PlayNext();
    });
    loop_->setLoopCount(QSoundEffect::Infinite);
}

QtSound::~QtSound() = default;

bool QtSound::PlayOnce(const std::string& path) {
    const QString file = QFile::decodeName(path.c_str());
    const std::optional<int> ms = WavFileMs(file);
    if (!ms) return false;
    queue_.push_back(Item{file, *ms});
    PlayNext();
    return true;
}

bool QtSound::PlayLooping(const std::string& path) {
    loop_->stop();
    looping_ = false;
    const QString file = QFile::decodeName(path.c_str());
    if (!WavFileMs(file)) return false;
    loop_->setSource(QUrl::fromLocalFile(file));
    loop_->play();
    looping_ = true;
    return true;
}

void QtSound::Stop() {
    loop_->stop();
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
    if (item.path.isEmpty()) {
        QApplication::beep();
    } else {
        once_->setSource(QUrl::fromLocalFile(item.path));
        once_->play();
    }
    // Paced by the file's own length, not by the effect's playing state:
    // without an audio device that state never changes.
    step_.start(item.ms + kGapMs);
}

}  // namespace mw
