// Opening gazetteers: damaged headers, field roles, the side file.
#include <gtest/gtest.h>

#include <functional>

#include "names/names_file.h"
#include "names/names_types.h"
#include "testlib/temp_dir.h"
#include "dbase_writer.h"

using namespace mw;
using mwtest::DbfTable;

namespace {

DbfTable ThreePlaces() {
    DbfTable s;
    s.fields = mwtest::GazetteerFields();
    s.records = {{"ALPHA", "PPL", "x", "51.5", "-0.1"},
                 {"  Beta town ", "MT", "x", "50", "10"},
                 {"GAMMA", "PPL", "x", "1", "2"}};
    return s;
}

// `bytes` as a names file in `dir`, opened (a failure when it does not open).
std::shared_ptr<const NamesFile> OpenBytes(const mwtest::TempDir& dir, const std::string& bytes,
                                           bool* truncated = nullptr) {
    dir.Write("t.names", bytes);
    NamesOpenError error = NamesOpenError::None;
    auto f = NamesFile::Open(dir.File("t.names"), error, truncated);
    EXPECT_NE(f, nullptr) << NamesOpenMessage(error);
    return f;
}

struct DamageCase {
    const char* what;
    std::string bytes;
    NamesOpenError error;
};

// Three places with one change to the header.
std::string Damaged(const std::function<void(DbfTable&)>& change) {
    DbfTable s = ThreePlaces();
    change(s);
    return s.Bytes();
}

std::vector<DamageCase> DamageCases() {
    // Empty and cut files, folders and missing files are the bad-input
    // matrix's rows; these are the header's own contradictions.
    return {
        {"header length below 33", Damaged([](DbfTable& s) { s.headerLength = 32; }),
         NamesOpenError::BadHeaderLength},
        // Room for one descriptor of five.
        {"header length shorter than its descriptors",
         Damaged([](DbfTable& s) { s.headerLength = 65; }), NamesOpenError::HeaderMismatch},
        // The end mark is optional, but one that follows the header, where
        // a descriptor would be, shows the header length cuts the list.
        {"end mark past a 32-byte header length", Damaged([](DbfTable& s) {
             s.headerLength = 32 + 32 * 2;
         }),
         NamesOpenError::HeaderMismatch},
        {"no descriptors", Damaged([](DbfTable& s) {
             s.fields.clear();
             s.records.clear();
         }),
         NamesOpenError::NoFields},
        {"record length 0", Damaged([](DbfTable& s) { s.recordLength = 0; }),
         NamesOpenError::ZeroRecordLength},
        // The fields need 77.
        {"fields longer than the record", Damaged([](DbfTable& s) { s.recordLength = 40; }),
         NamesOpenError::FieldsPastRecord},
    };
}

TEST(NamesFile, DamagedHeadersFailWithTheirReason) {
    mwtest::TempDir dir;
    for (const DamageCase& c : DamageCases()) {
        SCOPED_TRACE(c.what);
        dir.Write("bad.names", c.bytes);
        NamesOpenError error = NamesOpenError::None;
        EXPECT_EQ(NamesFile::Open(dir.File("bad.names"), error), nullptr);
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(NamesOpenMessage(c.error).empty());
    }
}

// The header length says where the descriptors end; the end mark after them
// may be missing, or a blank in its place.
TEST(NamesFile, FieldListWithoutEndMarkIsReadByTheHeaderLength) {
    struct Case {
        const char* what;
        bool terminator, terminatorByte;
    } cases[] = {
        {"end mark", true, true},
        {"a blank instead of the end mark", false, true},
        {"no byte after the descriptors", false, false},
    };
    mwtest::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DbfTable s = ThreePlaces();
        s.terminator = c.terminator;
        s.terminatorByte = c.terminatorByte;
        auto f = OpenBytes(dir, s.Bytes());
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Fields().size(), 5u);
        EXPECT_EQ(f->RecordCount(), 3u);
        EXPECT_EQ(f->Read(1), (NameRecord{"Beta town", "MT", "50", "10"}));
        EXPECT_EQ(f->Read(2).name, "GAMMA");
    }
}

// A header that claims more than the file holds reads what is there.
TEST(NamesFile, RecordCountIsCutToTheRecordsPresent) {
    struct Case {
        const char* what;
        std::uint32_t claimed;
        std::size_t cutBytes;  // removed from the end of the file
        std::uint32_t expected;
        bool truncated;
    } cases[] = {
        {"as claimed", 3, 0, 3, false},
        {"last record cut short", 3, 10, 2, true},
    };
    mwtest::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DbfTable s = ThreePlaces();
        s.recordCount = c.claimed;
        std::string bytes = s.Bytes();
        bool truncated = !c.truncated;
        auto f = OpenBytes(dir, bytes.substr(0, bytes.size() - c.cutBytes), &truncated);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->RecordCount(), c.expected);
        EXPECT_EQ(truncated, c.truncated);
        EXPECT_EQ(f->Read(c.expected - 1).name.empty(), false);
        EXPECT_EQ(f->Read(c.expected), NameRecord{});
    }
}

TEST(NamesFile, RolesByExactNameWithDefaults) {
    struct Case {
        const char* what;
        std::vector<mwtest::DbfField> fields;
        NamesRoles roles;
    } cases[] = {
        {"usual order", mwtest::GazetteerFields(), {0, 1, 3, 4}},
        {"other order",
         {{"LONGITUDE", 5}, {"X", 1}, {"LATITUDE", 5}, {"FULL_CODE", 3}, {"NAME", 9}},
         {4, 3, 2, 0}},
        {"names compared case-sensitively",
         {{"lon", 5}, {"name", 9}, {"full_code", 3}, {"latitude", 5}, {"longitude", 5}},
         {0, 1, 3, 4}},
        {"too few fields for the defaults", {{"TEXT", 9}, {"CODE", 3}}, {0, 1, -1, -1}},
    };
    mwtest::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DbfTable s;
        s.fields = c.fields;
        s.records = {{"a", "b", "c", "d", "e"}};
        auto f = OpenBytes(dir, s.Bytes());
        ASSERT_NE(f, nullptr);
        const NamesRoles& r = f->Roles();
        EXPECT_EQ((std::vector<int>{r.name, r.code, r.lat, r.lon}),
                  (std::vector<int>{c.roles.name, c.roles.code, c.roles.lat, c.roles.lon}));
        // A role the file lacks reads as empty text, not as some other field.
        if (c.roles.lat < 0) EXPECT_EQ(f->Read(0).lat, "");
    }
}

struct TypesCase {
    const char* what;
    std::string text;
    std::vector<std::string> codes;  // after "All Codes"
    bool hasDatum;
    const char* datum;
};

TEST(NamesTypes, ReadsCodesAndDatum) {
    const TypesCase cases[] = {
        {"codes and datum",
         "; comment\r\nDATUM,Tokyo\r\nPPL\r\n\r\n  MT  \r\n\"A \"B\" C\"\r\n\"Town, big\"\r\n",
         {"PPL", "MT", "A  B  C", "Town, big"},
         true,
         "Tokyo"},
        {"list ends at #####", "PPL\r\n#####\r\nMT\r\n", {"PPL"}, false, nullptr},
        {"unknown datum, key in lower case", "datum, Nowhere 1900\n", {}, true, "WGS 84"},
        {"binary garbage", std::string("\x01\x02\xff\x00PPL\n\x1a\x1b", 10) + "\nMT\n", {"MT"}, false,
         nullptr},
    };
    mwtest::TempDir dir;
    DatumTable datums;
    for (const TypesCase& c : cases) {
        SCOPED_TRACE(c.what);
        dir.Write("p.types", c.text);
        NamesTypes t = LoadNamesTypes(dir.File("p.types"), datums);
        std::vector<std::string> expected{"All Codes"};
        expected.insert(expected.end(), c.codes.begin(), c.codes.end());
        EXPECT_EQ(t.codes, expected);
        EXPECT_EQ(t.hasDatum, c.hasDatum);
        if (c.datum) {
            EXPECT_EQ(t.datum, FindDatumByName(datums, c.datum));
        }
    }
    NamesTypes missing = LoadNamesTypes(dir.File("none.types"), datums);
    EXPECT_EQ(missing.codes, std::vector<std::string>{"All Codes"});
    EXPECT_FALSE(missing.hasDatum);
}

TEST(NamesTypes, SidePathTakesTheFirstDotOfTheFileName) {
    EXPECT_EQ(NamesTypesPath("/data/v1.2/places.names"), "/data/v1.2/places.types");
    EXPECT_EQ(NamesTypesPath("/d/uk.cities.names"), "/d/uk.types");
    EXPECT_EQ(NamesTypesPath("/d/places"), "/d/places.types");
}

}  // namespace
