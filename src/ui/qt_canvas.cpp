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

QFont QtCanvas::FontFor(int fontHeight, int fontWeight) const {
    QFont font = p_.font();
    font.setPixelSize(fontHeight > 0 ? fontHeight : 12);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(fontWeight, 100, 900)));
    return font;
}

void QtCanvas::Text(Point at, const std::string& text, int fontHeight, int fontWeight, Rgb colour,
                    Rgb background, bool opaque) {
    QFont font = FontFor(fontHeight, fontWeight);
    QFontMetrics fm(font);
    QString s = DisplayText(text);
    QRect box(at.x, at.y, fm.horizontalAdvance(s), fm.height());
    if (opaque) p_.fillRect(box, ToQColor(background));
    p_.save();
    p_.setFont(font);
    p_.setPen(ToQColor(colour));
    p_.drawText(box, Qt::AlignLeft | Qt::AlignTop, s);
    p_.restore();
}

int QtCanvas::TextWidth(const std::string& text, int fontHeight, int fontWeight) {
    return QFontMetrics(FontFor(fontHeight, fontWeight)).horizontalAdvance(DisplayText(text));
}

int QtCanvas::TextHeight(const std::string&, int fontHeight, int fontWeight) {
    return QFontMetrics(FontFor(fontHeight, fontWeight)).height();
}

}  // namespace mw
