#include <gtest/gtest.h>

#include <set>

#include "config/dialog_tables.h"

using namespace mw;

namespace {

// A value different from `v` that the control can hold.
ControlValue Changed(const DialogControl& c, ControlValue v) {
    bool check = c.kind == ControlKind::Check || c.kind == ControlKind::PathActive;
    if (check)
        v.number = v.number ? 0 : 1;
    else
        v.number = v.number == 1 ? 2 : 1;
    v.real += 7;
    v.text = c.kind == ControlKind::PathLines ? JoinPathLines({"/a", "/b", "/c", "/d", "/e", "/f"})
                                              : v.text + "/changed";
    return v;
}

std::string Describe(const DialogTable& d, const DialogControl& c) {
    return std::string(d.caption) + " control " + std::to_string(c.id);
}

}  // namespace

// Each control edits its own key and nothing else, and that key belongs to the
// control's dialog, so SaveConfiguration takes it on OK. Checked against the
// main file's own key table by formatting every line before and after.
TEST(DialogTables, EachControlChangesOnlyItsKeyOfItsDialog) {
    DatumTable datums;
    for (const DialogTable& d : SettingsDialogs()) {
        for (const DialogControl& c : d.controls) {
            if (c.kind == ControlKind::PathButton) continue;  // edits no key itself
            SCOPED_TRACE(Describe(d, c));
            AppSettings before;
            AppSettings after = before;
            WriteControl(after, c, Changed(c, ReadControl(before, c)));
            auto a = FormatConfigurationLines(before, datums);
            auto b = FormatConfigurationLines(after, datums);
            std::set<int> changed;
            for (int i = 0; i < kAppSettingsKeyCount; ++i)
                if (a[i] != b[i]) changed.insert(i);
            if (c.kind == ControlKind::PathLines) {
                // The six map folder lines of the file.
                EXPECT_EQ(changed, (std::set<int>{4, 22, 23, 45, 46, 47}));
            } else {
                EXPECT_EQ(changed, std::set<int>{c.key});
            }
            for (int i : changed) EXPECT_EQ(AppSettingKeys()[i].dialog, d.number) << a[i];
        }
    }
}

TEST(DialogTables, StoredIndexOutsideItsListSelectsNothing) {
    struct Case {
        int stored, count, selection;
    };
    for (Case c : {Case{0, 9, 0}, Case{8, 9, 8}, Case{9, 9, -1}, Case{-1, 9, -1}})
        EXPECT_EQ(ListSelection(c.stored, c.count), c.selection) << c.stored;
}

TEST(DialogTables, NumberFieldsTakeAnyTypedNumber) {
    struct Case {
        ControlKind kind;
        const char* typed;
        int number;
        double real;
    };
    const Case cases[] = {
        {ControlKind::Number, " 12abc", 12, 0},
        {ControlKind::Number, "", 0, 0},
        {ControlKind::Speed, "12.75", 0, 12.75},
    };
    for (const Case& c : cases) {
        ControlValue v = ParseNumberField(c.kind, c.typed);
        EXPECT_EQ(v.number, c.number) << c.typed;
        EXPECT_DOUBLE_EQ(v.real, c.real) << c.typed;
    }
}

TEST(DialogTables, SpinButtonsStepInsideTheirRange) {
    const DialogControl tail{1012, ControlKind::Number, "Track Tail", 8, ListId::None, 0, 1000};
    const DialogControl speed{1025, ControlKind::Speed, "Min Speed", 19, ListId::None, 0, 1000};
    struct Case {
        const DialogControl& control;
        const char* text;
        int step;
        const char* result;
    };
    const Case cases[] = {
        {tail, "0", -1, "0"},
        {tail, "5000", -1, "1000"},
        {speed, "999.6", 1, "1000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepNumberField(c.control, c.text, c.step), c.result) << c.text << c.step;
}

TEST(DialogTables, MapPathTextKeepsSixLines) {
    struct Case {
        const char* text;
        std::array<std::string, 6> paths;
    };
    const Case cases[] = {
        {"a\r\nb", {"a", "b", "", "", "", ""}},
        {"1\n2\n3\n4\n5\n6\n7\n", {"1", "2", "3", "4", "5", "6"}},
        {"\n\n/x y\n", {"", "", "/x y", "", "", ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitPathLines(c.text), c.paths) << c.text;
    // A longer line keeps what a setting holds.
    EXPECT_EQ(SplitPathLines(std::string(kSettingTextMax + 50, 'p'))[0],
              std::string(kSettingTextMax, 'p'));
    std::array<std::string, 6> six{"/m1", "", "/m 3", "", "", "/m6"};
    EXPECT_EQ(SplitPathLines(JoinPathLines(six)), six);
}

TEST(DialogTables, FolderButtonReplacesOnlyItsLine) {
    EXPECT_EQ(ReplacePathLine("a\n", 3, "/new"), "a\n\n\n/new\n");
    EXPECT_EQ(ReplacePathLine("a\r\nb\r\n", 1, "/new"), "a\n/new\n");
}
