#include "view/track_profile.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "testlib/fake_ui.h"

using namespace mw;

namespace {

// Keeps what the graph drew in a form the checks can measure.
class GraphCanvas : public mwtest::RecordingCanvas {
public:
    void SetPen(Rgb c, int width, bool none) override {
        pen = c;
        mwtest::RecordingCanvas::SetPen(c, width, none);
    }
    void Polyline(const std::vector<Point>& pts) override {
        if (pen == Rgb{0, 0, 200}) lines.push_back(pts);
        mwtest::RecordingCanvas::Polyline(pts);
    }
    void Line(Point a, Point b) override {
        if (pen == Rgb{220, 0, 0}) marks.push_back({a, b});
        mwtest::RecordingCanvas::Line(a, b);
    }
    void Text(Point at, const std::string& text, int h, int w, Rgb c, Rgb bg, bool opaque) override {
        texts.push_back(text);
        mwtest::RecordingCanvas::Text(at, text, h, w, c, bg, opaque);
    }
    Rgb pen;
    std::vector<std::vector<Point>> lines;
    std::vector<std::pair<Point, Point>> marks;
    std::vector<std::string> texts;
};

TrackProfile Profile(ProfileX x, ProfileY y, std::vector<ProfileSample> samples) {
    TrackProfile p;
    p.xAxis = x;
    p.yAxis = y;
    p.samples = std::move(samples);
    return p;
}

bool Has(const std::vector<std::string>& texts, const std::string& t) {
    return std::find(texts.begin(), texts.end(), t) != texts.end();
}

}  // namespace

TEST(TrackProfileDrawing, LineFillsThePlotAndBreaksAtGaps) {
    const TrackProfile p = Profile(ProfileX::Distance, ProfileY::Elevation,
                                   {{0, 100, 0, true},
                                    {1500, 180, 1, false},
                                    {3000, 140, 2, false},
                                    {3000, 120, 3, true},  // a new segment
                                    {6000, 300, 4, false}});
    GraphCanvas canvas;
    const Rect area{10, 20, 250, 180};
    const ProfileLayout layout = DrawTrackProfile(canvas, area, p);
    ASSERT_GT(layout.plot.Width(), 100);
    // Inside the area, with room for the labels.
    EXPECT_GT(layout.plot.left, area.left);
    EXPECT_LT(layout.plot.bottom, area.bottom);
    EXPECT_GE(layout.plot.top, area.top);
    EXPECT_LE(layout.plot.right, area.right);
    // The heights are inside the y range, the x range is the track's.
    EXPECT_LE(layout.yMin, 100);
    EXPECT_GE(layout.yMax, 300);
    EXPECT_EQ(layout.xMin, 0);
    EXPECT_EQ(layout.xMax, 6000);

    ASSERT_EQ(canvas.lines.size(), 2u);
    ASSERT_EQ(canvas.lines[0].size(), 3u);
    ASSERT_EQ(canvas.lines[1].size(), 2u);
    EXPECT_EQ(canvas.lines[0].front().x, layout.plot.left);
    EXPECT_EQ(canvas.lines[1].back().x, layout.plot.right - 1);
    for (const auto& line : canvas.lines)
        for (const Point& pt : line) {
            EXPECT_GE(pt.y, layout.plot.top);
            EXPECT_LT(pt.y, layout.plot.bottom);
        }
    // Higher is up: 300 m is drawn above 100 m.
    EXPECT_LT(canvas.lines[1].back().y, canvas.lines[0].front().y);
    // Units from the range: 6 km.
    EXPECT_TRUE(Has(canvas.texts, "km"));
    EXPECT_TRUE(Has(canvas.texts, "m"));
    EXPECT_TRUE(canvas.marks.empty());
}

TEST(TrackProfileDrawing, TapFindsTheSampleAndMarksIt) {
    const TrackProfile p = Profile(ProfileX::Time, ProfileY::Speed,
                                   {{0, 5, 0, true}, {600, 12, 1, false}, {1200, 8, 2, false}});
    GraphCanvas canvas;
    const ProfileLayout layout = DrawTrackProfile(canvas, Rect{0, 0, 240, 120}, p);
    EXPECT_EQ(layout.yMin, 0);  // speed starts from standing
    EXPECT_TRUE(Has(canvas.texts, "min"));
    EXPECT_TRUE(Has(canvas.texts, "km/h"));
    // The middle sample's pixel maps back to its time.
    const int x = canvas.lines.at(0).at(1).x;
    const std::optional<double> t = ProfileValueAt(layout, x);
    ASSERT_TRUE(t);
    EXPECT_NEAR(*t, 600, 1200.0 / layout.plot.Width());
    EXPECT_EQ(NearestSample(p, *t)->point, 1);
    // Left of the plot clamps to the start.
    EXPECT_EQ(*ProfileValueAt(layout, -50), 0);

    GraphCanvas marked;
    DrawTrackProfile(marked, Rect{0, 0, 240, 120}, p, 1);
    ASSERT_EQ(marked.marks.size(), 1u);
    EXPECT_EQ(marked.marks[0].first.x, x);
    EXPECT_EQ(marked.marks[0].first.y, layout.plot.top);
}

TEST(TrackProfileDrawing, EmptyProfilesSayWhatIsMissing) {
    struct Case {
        ProfileX x;
        ProfileY y;
        const char* text;
    };
    const Case cases[] = {
        {ProfileX::Distance, ProfileY::Elevation, "No heights in this track"},
        {ProfileX::Time, ProfileY::Elevation, "No heights with times in this track"},
        {ProfileX::Distance, ProfileY::Speed, "No times in this track"},
    };
    for (const Case& c : cases) {
        GraphCanvas canvas;
        const ProfileLayout layout = DrawTrackProfile(canvas, Rect{0, 0, 240, 120}, Profile(c.x, c.y, {}));
        EXPECT_EQ(canvas.texts, std::vector<std::string>{c.text});
        EXPECT_TRUE(canvas.lines.empty());
        EXPECT_FALSE(ProfileValueAt(layout, 100));
    }
}

TEST(TrackProfileDrawing, OneSampleAndAFlatLineStillDraw) {
    GraphCanvas one;
    const ProfileLayout layout =
        DrawTrackProfile(one, Rect{0, 0, 240, 120},
                         Profile(ProfileX::Distance, ProfileY::Elevation, {{0, 500, 0, true}}));
    ASSERT_EQ(one.lines.size(), 1u);
    EXPECT_GT(layout.yMax, layout.yMin);
    EXPECT_GT(layout.xMax, layout.xMin);
    GraphCanvas flat;
    DrawTrackProfile(flat, Rect{0, 0, 240, 120},
                     Profile(ProfileX::Distance, ProfileY::Elevation,
                             {{0, 500, 0, true}, {100, 500, 1, false}}));
    ASSERT_EQ(flat.lines.size(), 1u);
    EXPECT_EQ(flat.lines[0].front().y, flat.lines[0].back().y);
    EXPECT_TRUE(Has(flat.texts, "m"));
}
