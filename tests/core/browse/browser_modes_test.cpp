#include <gtest/gtest.h>

#include "browse/browser_modes.h"

using namespace mw;

TEST(BrowserModes, SaveNamesGetTheirExtensionUnlessTheyHoldIt) {
    struct Case {
        const char* typed;
        const char* extension;
        const char* saved;
    };
    const Case cases[] = {
        {"walk.WPT", ".wpt", "walk.WPT"}, {"a.wpt.bak", ".wpt", "a.wpt.bak"},
        {"a.plt", ".wpt", "a.plt.wpt"},   {"list", "", "list"},
    };
    for (const Case& c : cases) EXPECT_EQ(NameWithExtension(c.typed, c.extension), c.saved);
    EXPECT_FALSE(SaveNameProblem("ok name.wpt"));
    EXPECT_EQ(SaveNameProblem("../escape.wpt"), std::string(kSlashInNameText));
}

TEST(BrowserModes, TypedOverNamesResolveToTheRowsBytes) {
    std::vector<FileRow> rows = {{"Up One Level", "", FileIcon::UpOneLevel, "", ""},
                                 {"odd\xFF", "Folder", FileIcon::Folder, "", ""},
                                 {"two\nlines.wpt", "waypoint", FileIcon::Waypoint, "", ""}};
    EXPECT_EQ(ResolveTypedName(rows, "two\\x0Alines.wpt"), "two\nlines.wpt");
    EXPECT_EQ(ResolveTypedName(rows, "new.wpt"), "new.wpt");
    EXPECT_EQ(ResolveTypedName(rows, "odd\\xFF"), "odd\\xFF");  // folders are not chosen names
}

// A blank "Data Path" starts the browser in the data folder the logs and
// proposals use, not at "/", where saving fails for a normal user.
TEST(BrowserModes, ABlankDataPathStartsInTheDefaultDataFolder) {
    const BrowserMode& load = *FindBrowserMode("Load Track File", false);
    const BrowserMode& save = *FindBrowserMode("Save Waypoint File", true);
    AppSettings s;
    for (const char* blank : {"", "   "}) {
        s.dataPath = blank;
        EXPECT_EQ(BrowserStartFolder(load, s, "", "/home/u"), "/home/u/Mapwanderer/Data");
        EXPECT_EQ(BrowserStartFolder(save, s, "/elsewhere", "/home/u"), "/home/u/Mapwanderer/Data");
    }
    s.dataPath = "/media/card/data/";
    EXPECT_EQ(BrowserStartFolder(load, s, "", "/home/u"), "/media/card/data");
}
