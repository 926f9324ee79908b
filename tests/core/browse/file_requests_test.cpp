#include <gtest/gtest.h>

#include "browse/file_requests.h"
#include "testlib/fake_ui.h"

using namespace mw;

TEST(FileRequests, SaveNamesGetTheirExtensionUnlessTheyHoldIt) {
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

TEST(FileRequests, TypedOverNamesResolveToTheRowsBytes) {
    std::vector<FileRow> rows = {{"Up One Level", "", FileIcon::UpOneLevel, "", ""},
                                 {"odd\xFF", "Folder", FileIcon::Folder, "", ""},
                                 {"two\nlines.wpt", "waypoint", FileIcon::Waypoint, "", ""}};
    EXPECT_EQ(ResolveTypedName(rows, "two\\x0Alines.wpt"), "two\nlines.wpt");
    EXPECT_EQ(ResolveTypedName(rows, "new.wpt"), "new.wpt");
    EXPECT_EQ(ResolveTypedName(rows, "odd\\xFF"), "odd\\xFF");  // folders are not chosen names
}

TEST(FileRequests, SaveProposalsByExtension) {
    DateTime t{2026, 12, 6, 14, 3, 22, 0};
    struct Case {
        const char* base;
        const char* extension;
        const char* title;
        const char* proposal;
        const char* answer;
        const char* result;
    };
    const Case cases[] = {
        {"Track", "plt", "Save Track File", "/d/Track 2026-12-06 14-03-22.plt", "/d/mine", "/d/mine.plt"},
    };
    for (const Case& c : cases) {
        mwtest::FakeUi ui;
        ui.files.push_back(std::string(c.answer));
        EXPECT_EQ(AskSaveFileName(ui, "/d", c.base, c.extension, t), std::string(c.result));
        EXPECT_EQ(ui.requestTitles, std::vector<std::string>{c.title});
        EXPECT_EQ(ui.saveRequests, std::vector<std::string>{c.proposal});
    }
    mwtest::FakeUi cancelled;
    EXPECT_FALSE(AskSaveFileName(cancelled, "/d", "Track", "plt", t));
}
