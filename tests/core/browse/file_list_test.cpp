#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "browse/file_list.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

std::vector<std::string> Names(const std::vector<FileRow>& rows) {
    std::vector<std::string> out;
    for (const FileRow& r : rows) out.push_back(r.name + "|" + r.type);
    return out;
}

FolderEntry File(const char* name, std::uint64_t size = 0) { return {name, false, size, 0}; }
FolderEntry Folder(const char* name) { return {name, true, 0, 0}; }

}  // namespace

TEST(FileList, UpOneLevelThenFoldersThenFilesEachSorted) {
    std::vector<FolderEntry> entries = {
        File("zeta.map"), Folder("maps"), File("Alpha.MAP"), File("notes.txt"), Folder("Archive"),
        File("beta.map"), Folder("b"), File("map"), File("x.map.bak"),
    };
    struct Case {
        const char* folder;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        // The pattern ignores case and wants the whole extension.
        {"/home/u", {"Up One Level|", "Archive|Folder", "b|Folder", "maps|Folder", "Alpha.MAP|map",
                     "beta.map|map", "zeta.map|map"}},
        // At the root there is nothing to go up to.
        {"/", {"Archive|Folder", "b|Folder", "maps|Folder", "Alpha.MAP|map", "beta.map|map",
               "zeta.map|map"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Names(FillFileList(entries, c.folder, "*.map", "map")), c.rows) << c.folder;
}

// "Up One Level" stops at the root, whatever the folder text looks like.
TEST(FileList, FoldersGoUpToTheRootAndNoFurther) {
    struct Case {
        const char* folder;
        const char* parent;
    };
    const Case cases[] = {
        {"/home/u/", "/home"}, {"/home", "/"}, {"", "/"}, {"//srv//", "/"},
    };
    for (const Case& c : cases) EXPECT_EQ(ParentFolder(c.folder), c.parent) << c.folder;
}

TEST(FileList, ListingReadsFoldersFilesSizesAndSkipsDotNames) {
    mwtest::TempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    dir.Write("a.map", "12345");
    dir.Write(".hidden.map", "x");
    std::filesystem::create_symlink(dir.File("missing"), dir.File("dangling.map"));
    std::vector<std::string> seen;
    for (const FolderEntry& e : ListFolderEntries(dir.Path()))
        seen.push_back(e.name + (e.folder ? "/" : " ") + std::to_string(e.size));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"a.map 5", "sub/0"}));
}

TEST(FileList, AFolderThatCannotBeListedGivesNothing) {
    mwtest::TempDir dir;
    EXPECT_TRUE(ListFolderEntries(dir.File("missing")).empty());
    dir.Write("file", "x");
    EXPECT_TRUE(ListFolderEntries(dir.File("file")).empty());
    if (geteuid() == 0) GTEST_SKIP() << "root reads folders whatever their permissions";
    std::filesystem::create_directory(dir.File("locked"));
    dir.Write("locked/a.map", "x");
    chmod(dir.File("locked").c_str(), 0);
    EXPECT_TRUE(ListFolderEntries(dir.File("locked")).empty());
    chmod(dir.File("locked").c_str(), 0755);
}

TEST(FileList, ATypedFolderMustBeAnExistingFolder) {
    mwtest::TempDir dir;
    std::filesystem::create_directories(dir.File("maps/sub"));
    dir.Write("maps/a.map", "x");
    EXPECT_EQ(TypedFolder("  " + dir.File("maps/sub") + "/ ", ""), dir.File("maps/sub"));
    EXPECT_EQ(TypedFolder("\\maps", dir.Path()), dir.File("maps"));  // a handheld text, under the home
    for (std::string bad : {dir.File("maps/a.map"), dir.File("missing"), std::string("maps"),
                            std::string(""), std::string("  ")})
        EXPECT_FALSE(TypedFolder(bad, "")) << bad;
}

TEST(FileList, StepsFromAFolderDownToAnother) {
    using Steps = std::vector<std::string>;
    EXPECT_EQ(FolderStepsBelow("/", "/home/u/maps"), (Steps{"home", "u", "maps"}));
    EXPECT_EQ(FolderStepsBelow("/home/u", "/home/u/maps/"), (Steps{"maps"}));
    EXPECT_EQ(FolderStepsBelow("/home/u/", "/home/u"), Steps{});
    EXPECT_EQ(FolderStepsBelow("/", "/"), Steps{});
    EXPECT_FALSE(FolderStepsBelow("/home/u", "/home/user/maps"));  // a longer name is no child
    EXPECT_FALSE(FolderStepsBelow("/home/u", "/media"));
}
