// What a save killed before its rename leaves behind is cleared by the next
// save of the same file, and nothing else is.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/durable_file.h"
#include "testlib/temp_dir.h"

using namespace mw;
namespace fs = std::filesystem;

TEST(StaleTemporaries, TheNextSaveRemovesOnlyItsOwnOldOnes) {
    mwtest::TempDir dir;
    enum Age { Old, Fresh };
    const struct {
        const char* name;
        Age age;
        bool folder;
        bool removed;
    } cases[] = {
        {"x.ini.tmp-a1B2c3", Old, false, true},    // a killed save of x.ini
        {"x.ini.tmp-Zz9Yy8", Fresh, false, false},  // another process may be writing it
        {"y.ini.tmp-a1B2c3", Old, false, false},   // another file's
        {"xx.ini.tmp-a1B2c3", Old, false, false},  // a name that only ends like it
        {"x.ini.tmp-a1B2", Old, false, false},     // not six characters
        {"x.ini.tmp-a1B2c3.bak", Old, false, false},
        {"x.ini.tmp-q.w.e.", Old, false, false},   // not what the random part holds
        {"x.ini.tmp-FOLDER", Old, true, false},    // not a file
    };
    const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& c : cases) {
        if (c.folder)
            fs::create_directory(dir.File(c.name));
        else
            dir.Write(c.name, "part of a save");
        if (c.age == Old) fs::last_write_time(dir.File(c.name), anHourAgo);
    }
    ASSERT_TRUE(WriteFileAtomically(dir.File("x.ini"), "whole"));
    EXPECT_EQ(dir.Read("x.ini"), "whole");
    for (const auto& c : cases) EXPECT_EQ(fs::exists(dir.File(c.name)), !c.removed) << c.name;
    // The save left no temporary of its own: x.ini and the cases kept.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, static_cast<int>(std::size(cases)));
}
