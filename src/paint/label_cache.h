// Pictures of opaque text labels, drawn once and then copied.
//
// A map window shows the same waypoint and route labels paint after paint;
// laying out and rasterising each with QPainter::drawText cost most of a
// labelled paint, while copying an opaque picture of the same pixels is a
// row-by-row blit. Entries are keyed by the text bytes, the font, the two
// colours and the device pixel ratio, and kept within a byte budget: when a
// new label does not fit, the labels least recently used in an earlier paint
// go first; labels of the paint in progress are never dropped, so a paint
// with more labels than the budget draws the rest directly instead of
// thrashing.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mw {

class LabelCache {
public:
    static constexpr std::size_t kDefaultBudget = 16u << 20;  // bytes of pixels

    explicit LabelCache(std::size_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

    // The cache of the calling thread (painting may run on any thread that
    // owns its painter; a cache is never shared between threads).
    static LabelCache& ForThisThread();

    // Starts a paint: labels used from now on are kept until the next one.
    void BeginPaint() { ++stamp_; }

    // A small number that stands for the font, for the keys.
    std::uint32_t FontId(const QFont& font);

    // What tells one label picture from another.
    struct Label {
        std::string_view text;  // the bytes as the layer gave them
        std::uint32_t font;     // FontId
        QRgb ink, background;
        int dpr100;  // device pixel ratio × 100
    };

    // The stored picture of `label`, or null; a hit counts as a use.
    const QImage* Find(const Label& label);
    // Whether `bytes` more fit, after dropping labels unused in this paint.
    bool Reserve(std::size_t bytes);
    // Stores the picture of `label` (call Reserve first) and returns it.
    const QImage& Put(const Label& label, QImage image);

    // The picture of a figure (Canvas::Figure) kept under `key`, or null.
    // Figures are few (one per zone radius on screen) and small; when more
    // than kMaxFigures are asked for, the oldest set is dropped.
    static constexpr std::size_t kMaxFigures = 256;
    const QImage* FindFigure(std::uint64_t key) const;
    const QImage& PutFigure(std::uint64_t key, QImage image);

    std::size_t Bytes() const { return bytes_; }
    std::size_t Count() const { return entries_.size(); }
    std::size_t Budget() const { return budget_; }

private:
    struct Key {
        std::string text;
        std::uint32_t font;
        QRgb ink, background;
        int dpr100;
    };
    static Label View(const Key& k) { return {k.text, k.font, k.ink, k.background, k.dpr100}; }
    static const Label& View(const Label& k) { return k; }
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(const Label& k) const;
        std::size_t operator()(const Key& k) const { return (*this)(View(k)); }
    };
    struct Equal {
        using is_transparent = void;
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const {
            const Label& x = View(a);
            const Label& y = View(b);
            return x.text == y.text && x.font == y.font && x.ink == y.ink &&
                   x.background == y.background && x.dpr100 == y.dpr100;
        }
    };
    struct Entry {
        QImage image;
        std::uint64_t lastUse;
    };

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::uint64_t stamp_ = 1;
    std::uint64_t fullAt_ = 0;  // the paint in which nothing more could be freed
    std::unordered_map<Key, Entry, Hash, Equal> entries_;
    std::vector<QString> fonts_;
    std::unordered_map<std::uint64_t, QImage> figures_;
};

}  // namespace mw
