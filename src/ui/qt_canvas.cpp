#include "ui/qt_canvas.h"

#include <QFontMetrics>
#include <QPolygon>

#include "support/text.h"

namespace mw {

namespace {
QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
QPolygon ToQPolygon(const std::vector<Point>& pts) {
    QPolygon poly;
    poly.reserve(static_cast<int>(pts.size()));
    for (const Point& p : pts) poly << QPoint(p.x, p.y);
    return poly;
}
}  // namespace

QString DisplayText(const std::string& bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void QtCanvas::SetPen(Rgb colour, int width, bool none) {
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
    p_.setBrush(hollow ? QBrush(Qt::NoBrush) : QBrush(ToQColor(colour)));
}

void QtCanvas::Line(Point a, Point b) { p_.drawLine(a.x, a.y, b.x, b.y); }
void QtCanvas::Polyline(const std::vector<Point>& pts) { p_.drawPolyline(ToQPolygon(pts)); }
void QtCanvas::Polygon(const std::vector<Point>& pts) { p_.drawPolygon(ToQPolygon(pts)); }
void QtCanvas::Ellipse(Rect b) { p_.drawEllipse(QRect(b.left, b.top, b.Width(), b.Height())); }
void QtCanvas::FillRect(Rect r, Rgb c) {
    p_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(c));
}

const QtCanvas::FontEntry& QtCanvas::FontFor(int fontHeight, int fontWeight) {
    // A layer draws many labels in one or two fonts: building a font and its
    // metrics for each label cost most of a labelled paint.
    if (font_ && font_->height == fontHeight && font_->weight == fontWeight) return *font_;
    QFont font = p_.font();
    font.setPixelSize(fontHeight > 0 ? fontHeight : 12);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(fontWeight, 100, 900)));
    font_.emplace(FontEntry{fontHeight, fontWeight, font, QFontMetrics(font)});
    return *font_;
}

void QtCanvas::Text(Point at, const std::string& text, int fontHeight, int fontWeight, Rgb colour,
                    Rgb background, bool opaque) {
    const FontEntry& f = FontFor(fontHeight, fontWeight);
    QString s = DisplayText(text);
    QRect box(at.x, at.y, f.metrics.horizontalAdvance(s), f.metrics.height());
    if (opaque) p_.fillRect(box, ToQColor(background));
    // Only the pen needs putting back: every text sets its own font.
    const QPen pen = p_.pen();
    p_.setFont(f.font);
    p_.setPen(ToQColor(colour));
    p_.drawText(box, Qt::AlignLeft | Qt::AlignTop, s);
    p_.setPen(pen);
}

int QtCanvas::TextWidth(const std::string& text, int fontHeight, int fontWeight) {
    return FontFor(fontHeight, fontWeight).metrics.horizontalAdvance(DisplayText(text));
}

int QtCanvas::TextHeight(const std::string&, int fontHeight, int fontWeight) {
    return FontFor(fontHeight, fontWeight).metrics.height();
}

}  // namespace mw
