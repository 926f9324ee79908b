#include "paint/qt_canvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPolygon>
#include <cmath>
#include <unordered_map>

#include "support/text.h"
#include "paint/symbol_picture.h"

namespace mw {

namespace {
QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
QPolygon ToQPolygon(const std::vector<Point>& pts) {
    QPolygon poly;
    poly.reserve(static_cast<int>(pts.size()));
    for (const Point& p : pts) poly << QPoint(p.x, p.y);
    return poly;
}
// The pixels of a round pen's dot at (0, 0): the round cap and join a
// stroked line has at each of its points, as runs of one row each.
struct DotRun {
    int dy, x0, x1;  // x1 exclusive
};
const std::vector<DotRun>& RoundDot(int width) {
    thread_local std::vector<std::pair<int, std::vector<DotRun>>> dots;
    for (const auto& [w, runs] : dots)
        if (w == width) return runs;
    // Drawn by Qt itself, so that the dot is exactly the stroker's cap.
    const int size = 2 * width + 8, c = size / 2;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        QPen pen(Qt::black);
        pen.setWidth(width);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawPoint(c, c);
    }
    std::vector<DotRun> runs;
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size;) {
            if (qAlpha(row[x]) == 0) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < size && qAlpha(row[x]) != 0) ++x;
            runs.push_back(DotRun{y - c, x0 - c, x - c});
        }
    }
    return dots.emplace_back(width, std::move(runs)).second;
}

// Widths of texts already measured, per font: a layer asks for the same
// route and point names on every paint, and shaping a text costs far more
// than drawing its cached picture.
class WidthCache {
public:
    std::optional<int> Find(const std::string& font, const std::string& text) {
        const auto it = widths_.find(Key(font, text));
        if (it == widths_.end()) return std::nullopt;
        return it->second;
    }
    void Put(const std::string& font, const std::string& text, int width) {
        // Bounded: a long session's names are few, but a file of many
        // distinct names must not make this grow without end.
        if (widths_.size() >= kMaxEntries) widths_.clear();
        widths_.emplace(Key(font, text), width);
    }
    static WidthCache& ForThisThread() {
        thread_local WidthCache cache;
        return cache;
    }

private:
    static constexpr std::size_t kMaxEntries = 20000;
    // The font's key, a separator no font key holds, then the text.
    std::string& Key(const std::string& font, const std::string& text) {
        key_.assign(font).push_back('\0');
        key_ += text;
        return key_;
    }
    std::string key_;
    std::unordered_map<std::string, int> widths_;
};
}  // namespace

QString DisplayText(const std::string& bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QtCanvas::QtCanvas(QPainter& painter, LabelCache* labels) : p_(painter), labels_(labels) {
    if (labels_) labels_->BeginPaint();
}

void QtCanvas::SetPen(Rgb colour, int width, bool none) {
    const PenState want{none ? Rgb{} : colour, none ? 0 : width, none};
    if (pen_ == want) return;
    pen_ = want;
    if (none) {
        p_.setPen(Qt::NoPen);
        return;
    }
    QPen pen(ToQColor(colour));
    pen.setWidth(width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p_.setPen(pen);
}

void QtCanvas::SetBrush(Rgb colour, bool hollow) {
    const BrushState want{hollow ? Rgb{} : colour, hollow};
    if (brush_ == want) return;
    brush_ = want;
    p_.setBrush(hollow ? QBrush(Qt::NoBrush) : QBrush(ToQColor(colour)));
}

void QtCanvas::Line(Point a, Point b) { p_.drawLine(a.x, a.y, b.x, b.y); }
void QtCanvas::Lines(const Point* ends, std::size_t segments) {
    QLine lines[8];
    while (segments > 0) {
        const std::size_t n = std::min(segments, std::size(lines));
        for (std::size_t i = 0; i < n; ++i)
            lines[i] = QLine(ends[2 * i].x, ends[2 * i].y, ends[2 * i + 1].x, ends[2 * i + 1].y);
        p_.drawLines(lines, static_cast<int>(n));
        ends += 2 * n;
        segments -= n;
    }
}
void QtCanvas::Polyline(const std::vector<Point>& pts) {
    // Qt strokes a wide round-capped line by building and filling the
    // outline of the whole line, curves at every cap and join, which was
    // most of a route paint. The same picture is each segment's rectangle
    // with a round dot on every point: the rectangles filled as the
    // stroker fills its outline give the same pixels, and a dot is a few
    // spans. Only when drawing is plain: solid opaque pen, no antialiasing
    // (a blended edge would be drawn twice where pieces overlap), no turn
    // or scale.
    const bool plain = pen_ && !pen_->none && pen_->width >= 2 && pen_->width <= kMaxDotWidth &&
                       !p_.testRenderHint(QPainter::Antialiasing) &&
                       p_.worldTransform().type() <= QTransform::TxTranslate &&
                       p_.compositionMode() == QPainter::CompositionMode_SourceOver &&
                       p_.pen().style() == Qt::SolidLine;
    if (!plain || pts.size() < 2) {
        p_.drawPolyline(ToQPolygon(pts));
        return;
    }
    const QPen pen = p_.pen();
    const QBrush brush = p_.brush();
    const QColor colour = pen.color();
    const double half = pen_->width / 2.0;
    p_.setPen(Qt::NoPen);
    p_.setBrush(colour);
    bool drawn = false;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        const QPointF a(pts[i - 1].x, pts[i - 1].y), b(pts[i].x, pts[i].y);
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double length = std::hypot(dx, dy);
        if (length == 0) continue;  // its dot is all there is of it
        const QPointF n(-dy / length * half, dx / length * half);
        const QPointF quad[] = {a + n, b + n, b - n, a - n};
        p_.drawConvexPolygon(quad, 4);
        drawn = true;
    }
    p_.setBrush(brush);
    p_.setPen(pen);
    // Qt draws nothing for a line that never leaves its first point.
    if (!drawn) return;

    const std::vector<DotRun>& dot = RoundDot(pen_->width);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (i > 0 && pts[i] == pts[i - 1]) continue;
        for (const DotRun& r : dot)
            p_.fillRect(QRect(pts[i].x + r.x0, pts[i].y + r.dy, r.x1 - r.x0, 1), colour);
    }
}
void QtCanvas::Polygon(const std::vector<Point>& pts) { p_.drawPolygon(ToQPolygon(pts)); }
void QtCanvas::Ellipse(Rect b) { p_.drawEllipse(QRect(b.left, b.top, b.Width(), b.Height())); }
void QtCanvas::FillRect(Rect r, Rgb c) {
    p_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(c));
}

QImage WrapCanvasImage(const CanvasImage& image) {
    if (image.Empty()) return QImage();
    if (image.format == CanvasImage::Format::Rgb32)
        return QImage(image.pixels, image.width, image.height, image.stride, QImage::Format_RGB32);
    QImage out(image.pixels, image.width, image.height, image.stride, QImage::Format_Indexed8);
    out.setColorTable(QList<QRgb>(image.palette, image.palette + image.paletteSize));
    return out;
}

void QtCanvas::Image(const CanvasImage& image, Rect source, Rect target) {
    const QImage wrapped = WrapCanvasImage(image);
    if (wrapped.isNull()) return;
    const QRect src(source.left, source.top, source.Width(), source.Height());
    const QRect dst(target.left, target.top, target.Width(), target.Height());
    // The whole picture at its own size is a plain copy, the cheapest path
    // the paint engine has.
    if (src == wrapped.rect() && src.size() == dst.size())
        p_.drawImage(dst.topLeft(), wrapped);
    else
        p_.drawImage(dst, wrapped, src);
}

void QtCanvas::Figure(Point at, Rect bounds, std::uint64_t key,
                      const std::function<void(Canvas&, Point)>& draw) {
    // A copy has the drawn pixels only when drawing is pixel-exact: no
    // antialiasing (which would blend the figure's edges with the map), a
    // plain device and no turn or scale. A large figure is cheaper drawn
    // than copied: its copy blends every pixel of its box.
    constexpr int kMaxFigurePixels = 64 * 64;
    const qreal dpr = p_.device() ? p_.device()->devicePixelRatio() : 1.0;
    if (!labels_ || p_.testRenderHint(QPainter::Antialiasing) || dpr != 1.0 ||
        p_.worldTransform().type() > QTransform::TxTranslate || bounds.Width() <= 0 ||
        bounds.Height() <= 0 || bounds.Width() * bounds.Height() > kMaxFigurePixels) {
        draw(*this, at);
        return;
    }
    const QImage* picture = labels_->FindFigure(key);
    if (!picture) {
        QImage image(bounds.Width(), bounds.Height(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter ip(&image);
            ip.setRenderHints(p_.renderHints());
            QtCanvas figure(ip, nullptr);
            draw(figure, Point{-bounds.left, -bounds.top});
        }
        picture = &labels_->PutFigure(key, std::move(image));
    }
    p_.drawImage(QPoint(at.x + bounds.left, at.y + bounds.top), *picture);
}

const QtCanvas::FontEntry& QtCanvas::FontFor(int fontHeight, int fontWeight) {
    // A layer draws many labels in one or two fonts: building a font and its
    // metrics for each label cost most of a labelled paint.
    if (font_ && font_->height == fontHeight && font_->weight == fontWeight) return *font_;
    QFont font = p_.font();
    font.setPixelSize(fontHeight > 0 ? fontHeight : 12);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(fontWeight, 100, 900)));
    font_.emplace(FontEntry{fontHeight, fontWeight, font, QFontMetrics(font),
                            labels_ ? labels_->FontId(font) : 0, font.key().toStdString()});
    return *font_;
}

void QtCanvas::DrawText(const FontEntry& f, QPoint at, const QString& s, int width, Rgb colour,
                        Rgb background, bool opaque) {
    QRect box(at.x(), at.y(), width, f.metrics.height());
    if (opaque) p_.fillRect(box, ToQColor(background));
    // Only the pen needs putting back: every text sets its own font.
    const QPen pen = p_.pen();
    p_.setFont(f.font);
    p_.setPen(ToQColor(colour));
    p_.drawText(box, Qt::AlignLeft | Qt::AlignTop, s);
    p_.setPen(pen);
}

void QtCanvas::Text(Point at, const std::string& text, int fontHeight, int fontWeight, Rgb colour,
                    Rgb background, bool opaque) {
    const FontEntry& f = FontFor(fontHeight, fontWeight);
    const QPoint topLeft(at.x, at.y);
    // Only opaque labels come from the cache: their pictures are exactly
    // what drawing them gives. A text drawn over the map blends with what
    // lies under it, and a turned or scaled painter would blur a copy.
    const qreal dpr = p_.device() ? p_.device()->devicePixelRatio() : 1.0;
    if (!opaque || !labels_ || p_.worldTransform().type() > QTransform::TxTranslate) {
        const QString s = DisplayText(text);
        DrawText(f, topLeft, s, f.metrics.horizontalAdvance(s), colour, background, opaque);
        return;
    }
    const LabelCache::Label key{text, f.id, qRgb(colour.r, colour.g, colour.b),
                                qRgb(background.r, background.g, background.b),
                                static_cast<int>(dpr * 100 + 0.5)};
    if (const QImage* picture = labels_->Find(key)) {
        p_.drawImage(topLeft, *picture);
        return;
    }
    const QString s = DisplayText(text);
    const int width = f.metrics.horizontalAdvance(s), height = f.metrics.height();
    if (width <= 0 || height <= 0) return;
    const int pw = static_cast<int>(std::ceil(width * dpr)), ph = static_cast<int>(std::ceil(height * dpr));
    if (!labels_->Reserve(static_cast<std::size_t>(pw) * static_cast<std::size_t>(ph) * 4)) {
        DrawText(f, topLeft, s, width, colour, background, opaque);
        return;
    }
    // Opaque RGB32 like the map image, so that the copy is a plain blit.
    QImage picture(pw, ph, QImage::Format_RGB32);
    picture.setDevicePixelRatio(dpr);
    picture.fill(ToQColor(background));
    {
        QPainter ip(&picture);
        ip.setRenderHints(p_.renderHints());
        ip.setFont(f.font);
        ip.setPen(ToQColor(colour));
        ip.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop, s);
    }
    p_.drawImage(topLeft, labels_->Put(key, std::move(picture)));
}

bool QtCanvas::Picture(Rect box, const std::string& path) {
    const QImage image = SymbolPicture(path, box.Width(), box.Height());
    if (image.isNull()) return false;
    p_.drawImage(QPoint(box.left, box.top), image);
    return true;
}

int QtCanvas::TextWidth(const std::string& text, int fontHeight, int fontWeight) {
    const FontEntry& f = FontFor(fontHeight, fontWeight);
    WidthCache& widths = WidthCache::ForThisThread();
    if (const std::optional<int> w = widths.Find(f.key, text)) return *w;
    const int w = f.metrics.horizontalAdvance(DisplayText(text));
    widths.Put(f.key, text, w);
    return w;
}

int QtCanvas::TextHeight(const std::string&, int fontHeight, int fontWeight) {
    return FontFor(fontHeight, fontWeight).metrics.height();
}

}  // namespace mw
