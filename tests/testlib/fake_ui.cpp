#include "testlib/fake_ui.h"

#include "support/text.h"

namespace mwtest {

namespace {
std::string Colour(mw::Rgb c) { return mw::Format("#%02x%02x%02x", c.r, c.g, c.b); }
std::string Points(const std::vector<mw::Point>& pts) {
    std::string s;
    for (const auto& p : pts) s += mw::Format(" %d,%d", p.x, p.y);
    return s;
}
}  // namespace

void RecordingCanvas::SetPen(mw::Rgb c, int width, bool none) {
    calls.push_back(none ? std::string("pen none")
                         : mw::Format("pen %s %d", Colour(c).c_str(), width));
}
void RecordingCanvas::SetBrush(mw::Rgb c, bool hollow) {
    calls.push_back(hollow ? std::string("brush hollow") : "brush " + Colour(c));
}
void RecordingCanvas::Line(mw::Point a, mw::Point b) {
    calls.push_back(mw::Format("line %d,%d %d,%d", a.x, a.y, b.x, b.y));
}
void RecordingCanvas::Polyline(const std::vector<mw::Point>& pts) {
    calls.push_back("polyline" + Points(pts));
}
void RecordingCanvas::Polygon(const std::vector<mw::Point>& pts) {
    calls.push_back("polygon" + Points(pts));
}
void RecordingCanvas::Ellipse(mw::Rect b) {
    calls.push_back(mw::Format("ellipse %d,%d %d,%d", b.left, b.top, b.right, b.bottom));
}
bool RecordingCanvas::Picture(mw::Rect b, const std::string& path) {
    calls.push_back(mw::Format("picture %d,%d %d,%d ", b.left, b.top, b.right, b.bottom) + path);
    return picturesDrawn;
}
void RecordingCanvas::FillRect(mw::Rect r, mw::Rgb c) {
    calls.push_back(mw::Format("fill %d,%d %d,%d ", r.left, r.top, r.right, r.bottom) + Colour(c));
}
void RecordingCanvas::Image(const mw::CanvasImage& image, mw::Rect s, mw::Rect t) {
    calls.push_back(mw::Format("image %dx%d %d,%d %d,%d -> %d,%d %d,%d", image.width, image.height,
                               s.left, s.top, s.right, s.bottom, t.left, t.top, t.right,
                               t.bottom));
}
void RecordingCanvas::Text(mw::Point at, const std::string& text, int h, int w, mw::Rgb c,
                           mw::Rgb bg, bool opaque) {
    calls.push_back(mw::Format("text %d,%d h%d w%d ", at.x, at.y, h, w) + Colour(c) +
                    (opaque ? " on " + Colour(bg) : std::string()) + " \"" + text + "\"");
}

}  // namespace mwtest
