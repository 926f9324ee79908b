#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <stdexcept>

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
                EXPECT_EQ(changed, std::set<int>{SettingKeyIndex(c.setting)});
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

namespace {

const DialogControl& ControlOf(int dialog, const char* label) {
    for (const DialogControl& c : FindSettingsDialog(dialog)->controls)
        if (std::string_view(c.label) == label &&
            (c.kind == ControlKind::Number || c.kind == ControlKind::Speed))
            return c;
    throw std::runtime_error(std::string("no number field ") + label);
}

}  // namespace

// What OK takes from a typed number field: a number of the key's range or
// nothing at all, never 0 for text or a cut-off for a huge number.
TEST(DialogTables, TypedNumberFieldsAreTakenOnlyWhenTheyAreNumbersOfTheKeysRange) {
    const DialogControl& logDist = ControlOf(kDialogTrack, "Log Dist");           // 0..10000
    const DialogControl& width = ControlOf(kDialogTrack, "Track Width");          // 1..10
    const DialogControl& minSpeed = ControlOf(kDialogSpeedMonitor, "Min Speed");  // 0..1000
    struct Case {
        const DialogControl* control;
        const char* typed;
        char separator;  // the locale's decimal separator
        std::optional<double> taken;
    };
    const std::optional<double> refused;
    const Case cases[] = {
        {&logDist, "500", '.', 500},       {&logDist, " 750\t", '.', 750},
        {&logDist, "+5", '.', 5},          {&logDist, "0", '.', 0},
        {&logDist, "10000", '.', 10000},   {&logDist, "abc", '.', refused},
        {&logDist, "", '.', refused},      {&logDist, "  ", '.', refused},
        {&logDist, "99999999999", '.', refused},
        {&logDist, "99999999999999999999999", '.', refused},
        {&logDist, "10001", '.', refused}, {&logDist, "-1", '.', refused},
        {&logDist, "12abc", '.', refused}, {&logDist, "12.5", '.', refused},
        {&logDist, "12,5", ',', refused},  {&logDist, "-", '.', refused},
        {&width, "0", '.', refused},       {&width, "1", '.', 1},
        {&width, "10", '.', 10},           {&width, "11", '.', refused},
        {&minSpeed, "7.5", '.', 7.5},      {&minSpeed, "7,5", '.', refused},
        {&minSpeed, "7,5", ',', 7.5},      {&minSpeed, "7.5", ',', 7.5},
        {&minSpeed, " 12 ", ',', 12},      {&minSpeed, ".5", '.', 0.5},
        {&minSpeed, "1000", '.', 1000},    {&minSpeed, "1000.1", '.', refused},
        {&minSpeed, "-0.5", '.', refused}, {&minSpeed, "1.000,5", ',', refused},
        {&minSpeed, "7,,5", ',', refused}, {&minSpeed, "1e2", '.', refused},
        {&minSpeed, "nan", '.', refused},  {&minSpeed, "inf", '.', refused},
        {&minSpeed, "", ',', refused},     {&minSpeed, ",", ',', refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control->label) + " typed \"" + c.typed + "\" with '" +
                     c.separator + "'");
        std::optional<ControlValue> v = CheckNumberField(*c.control, c.typed, c.separator);
        ASSERT_EQ(v.has_value(), c.taken.has_value());
        if (!v) continue;
        if (c.control->kind == ControlKind::Speed)
            EXPECT_EQ(v->real, *c.taken);
        else
            EXPECT_EQ(v->number, *c.taken);
    }
}

TEST(DialogTables, NumberFieldsShowTheUnitTheUnitsSettingsSay) {
    AppSettings s;
    const DialogControl& logDist = ControlOf(kDialogTrack, "Log Dist");
    const DialogControl& setSpeed = ControlOf(kDialogSpeedMonitor, "Set Speed");
    EXPECT_EQ(NumberFieldUnit(logDist, s), "m");
    EXPECT_EQ(NumberFieldUnit(setSpeed, s), "km/h");
    EXPECT_EQ(NumberFieldUnit(ControlOf(kDialogTrack, "Track Width"), s), "px");
    EXPECT_EQ(RefusedFieldText(logDist, s), "Log Dist takes a whole number from 0 to 10000 m");
    s.distanceUnit = 1;
    s.speedUnit = 2;
    EXPECT_EQ(NumberFieldUnit(logDist, s), "ft");
    EXPECT_EQ(RefusedFieldText(setSpeed, s), "Set Speed takes a number from 0 to 1000 knots");
    // Every number field of every dialog has a unit and a range to name.
    for (const DialogTable& d : SettingsDialogs())
        for (const DialogControl& c : d.controls)
            if (c.kind == ControlKind::Number || c.kind == ControlKind::Speed) {
                EXPECT_FALSE(NumberFieldUnit(c, s).empty()) << d.caption << " " << c.label;
                EXPECT_LT(c.spinMin, c.spinMax) << d.caption << " " << c.label;
            }
}
