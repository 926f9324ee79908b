#include "paint/label_cache.h"

#include <algorithm>
#include <functional>

namespace mw {

LabelCache& LabelCache::ForThisThread() {
    thread_local LabelCache cache;
    return cache;
}

std::uint32_t LabelCache::FontId(const QFont& font) {
    const QString key = font.key();
    auto it = std::find(fonts_.begin(), fonts_.end(), key);
    if (it != fonts_.end()) return static_cast<std::uint32_t>(it - fonts_.begin());
    fonts_.push_back(key);
    return static_cast<std::uint32_t>(fonts_.size() - 1);
}

std::size_t LabelCache::Hash::operator()(const Label& k) const {
    std::size_t h = std::hash<std::string_view>{}(k.text);
    for (std::uint64_t v : {std::uint64_t{k.font}, std::uint64_t{k.ink}, std::uint64_t{k.background},
                            static_cast<std::uint64_t>(k.dpr100)})
        h = (h ^ v) * 0x100000001b3ull;
    return h;
}

const QImage* LabelCache::Find(const Label& label) {
    auto it = entries_.find(label);
    if (it == entries_.end()) return nullptr;
    it->second.lastUse = stamp_;
    return &it->second.image;
}

bool LabelCache::Reserve(std::size_t bytes) {
    if (bytes > budget_) return false;
    if (bytes_ + bytes <= budget_) return true;
    // Once this paint found nothing more to drop, the rest of it draws
    // directly without searching again.
    if (fullAt_ == stamp_) return false;
    // Drop the least recently used labels of earlier paints until a quarter
    // of the budget is free, so that the next few misses need no search.
    std::vector<std::pair<std::uint64_t, const Key*>> old;
    for (const auto& [key, entry] : entries_)
        if (entry.lastUse != stamp_) old.emplace_back(entry.lastUse, &key);
    std::sort(old.begin(), old.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::size_t target = std::min(budget_ - bytes, budget_ - budget_ / 4);
    for (const auto& [use, key] : old) {
        if (bytes_ <= target) break;
        auto it = entries_.find(*key);
        bytes_ -= static_cast<std::size_t>(it->second.image.sizeInBytes());
        entries_.erase(it);
    }
    if (bytes_ + bytes <= budget_) return true;
    fullAt_ = stamp_;
    return false;
}

const QImage& LabelCache::Put(const Label& label, QImage image) {
    bytes_ += static_cast<std::size_t>(image.sizeInBytes());
    if (auto it = entries_.find(label); it != entries_.end()) {
        bytes_ -= static_cast<std::size_t>(it->second.image.sizeInBytes());
        it->second = Entry{std::move(image), stamp_};
        return it->second.image;
    }
    Key key{std::string(label.text), label.font, label.ink, label.background, label.dpr100};
    return entries_.emplace(std::move(key), Entry{std::move(image), stamp_}).first->second.image;
}

const QImage* LabelCache::FindFigure(std::uint64_t key) const {
    auto it = figures_.find(key);
    return it == figures_.end() ? nullptr : &it->second;
}

const QImage& LabelCache::PutFigure(std::uint64_t key, QImage image) {
    if (figures_.size() >= kMaxFigures) figures_.clear();
    return figures_.insert_or_assign(key, std::move(image)).first->second;
}

}  // namespace mw
