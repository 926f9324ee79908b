// Symbol pictures: which file a symbol number finds in the home's symbol
// folder, and how the layer draws it (or falls back to the plain figure).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/pixel_view.h"
#include "testlib/temp_dir.h"
#include "view/waypoint_layer.h"
#include "waypoint/waypoint_store.h"

using namespace mw;

namespace {

class Symbols : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(home.File(kSymbolFolder));
        for (const char* name : {"151.svg", "151.bmp", "7.png", "0.svg", "abc.svg", "12.txt",
                                 "-3.svg", "18.SVG"})
            home.Write(std::string(kSymbolFolder) + "/" + name, "x");
        std::filesystem::create_directories(home.File(std::string(kSymbolFolder) + "/9.svg"));
    }
    std::string Symbol(const char* name) { return home.File(std::string(kSymbolFolder) + "/" + name); }
    // The calls drawing one named waypoint of symbol `symbol` at window
    // point (240, 320), proximity off.
    std::vector<std::string> Draw(int symbol, bool canvasDrawsPictures = true) {
        Waypoint w;
        w.name = "A";
        w.lat = 1000;
        w.lon = 1000;
        w.symbol = symbol;
        WaypointStore store;
        store.Put(0, w);
        WaypointStyle style;
        style.proximity = false;
        style.symbols = &set;
        style.programFolder = home.Path();
        mwtest::RecordingCanvas canvas;
        canvas.picturesDrawn = canvasDrawsPictures;
        DrawWaypoints(canvas, store, mwtest::PixelView(1.0), style);
        return canvas.calls;
    }

    mwtest::TempDir home;
    SymbolSet set;
};

}  // namespace

TEST_F(Symbols, ANumberFindsItsPictureAndTheUsersBitmapWins) {
    const struct {
        int number;
        const char* file;  // null: none
    } cases[] = {{151, "151.bmp"}, {7, "7.png"}, {18, "18.SVG"}, {0, nullptr},
                 {12, nullptr},    {9, nullptr}, {-3, nullptr}, {5, nullptr}};
    for (const auto& c : cases) {
        const std::string* found = set.Find(home.Path(), c.number);
        EXPECT_EQ(found ? *found : "none", c.file ? Symbol(c.file) : "none") << c.number;
    }
    // Read once: a picture added later shows after Forget (or another home).
    home.Write(std::string(kSymbolFolder) + "/5.svg", "x");
    EXPECT_EQ(set.Find(home.Path(), 5), nullptr);
    set.Forget();
    EXPECT_NE(set.Find(home.Path(), 5), nullptr);
    EXPECT_EQ(set.Find(home.File("elsewhere"), 151), nullptr);
}

TEST_F(Symbols, TheLayerDrawsThePictureOrThePlainFigure) {
    // Symbol Size 6: an 18-pixel picture centred on (240, 320), the label
    // three pixels past its right edge.
    const std::vector<std::string> picture = Draw(7);
    ASSERT_EQ(picture.size(), 2u);
    EXPECT_EQ(picture[0], "picture 231,311 249,329 " + Symbol("7.png"));
    EXPECT_EQ(picture[1].rfind("text 251,", 0), 0u) << picture[1];

    // No picture for the number, or a canvas that cannot draw it: the
    // circle with its cross, the label beside the circle.
    for (const auto& calls : {Draw(5), Draw(7, false)}) {
        const auto ellipse = std::find(calls.begin(), calls.end(), "ellipse 234,314 247,327");
        EXPECT_NE(ellipse, calls.end());
        EXPECT_EQ(calls.back().rfind("text 249,", 0), 0u) << calls.back();
    }
}
