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
