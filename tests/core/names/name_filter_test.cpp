// Filtering gazetteers: the prefix search on sorted files, the anywhere
// search, codes, the result limit, stopping and the worker thread.
#include <gtest/gtest.h>

#include <numeric>

#include "names/name_filter.h"
#include "support/text.h"
#include "testlib/temp_dir.h"
#include "dbase_writer.h"

using namespace mw;

namespace {

class NameFilterTest : public ::testing::Test {
protected:
    std::shared_ptr<const NamesFile> Write(const mwtest::DbfTable& table) {
        dir.Write("t.names", table.Bytes());
        NamesOpenError error;
        auto f = NamesFile::Open(dir.File("t.names"), error);
        EXPECT_NE(f, nullptr);
        return f;
    }
    // `count` places named P0000, P0001, ... in name order.
    std::shared_ptr<const NamesFile> Sorted(int count) {
        mwtest::DbfTable s;
        s.fields = mwtest::GazetteerFields(10);
        for (int i = 0; i < count; ++i)
            s.records.push_back({Format("P%04d", i), i % 2 ? "PPL" : "MT", "", "1", "2"});
        return Write(s);
    }
    std::vector<std::string> Names(const std::shared_ptr<const NamesFile>& f,
                                   const std::vector<std::uint32_t>& records) {
        std::vector<std::string> out;
        for (std::uint32_t r : records) out.push_back(f->Read(r).name);
        return out;
    }
    static std::vector<std::uint32_t> Range(std::uint32_t from, std::uint32_t to) {
        std::vector<std::uint32_t> v(to - from);
        std::iota(v.begin(), v.end(), from);
        return v;
    }
    mwtest::TempDir dir;
};

NameQuery Prefix(std::string text) {
    NameQuery q;
    q.text = std::move(text);
    return q;
}
NameQuery Anywhere(std::string text) {
    NameQuery q;
    q.text = std::move(text);
    q.prefix = false;
    return q;
}

// On a sorted file the prefix search jumps ahead by probing: the matches
// before, between and past the probes are all found.
TEST_F(NameFilterTest, PrefixSearchOnASortedFileFindsEveryMatch) {
    auto file = Sorted(2000);
    struct Case {
        const char* text;
        std::uint32_t firstMatch, endMatch;
        NameFilterEnd end;
    } cases[] = {
        {"P13", 1300, 1400, NameFilterEnd::PastPrefix},
        {"P19", 1900, 2000, NameFilterEnd::EndOfFile},  // past every probe
        {"A", 0, 0, NameFilterEnd::PastPrefix},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NameFilterEnd end;
        EXPECT_EQ(FilterNames(file, Prefix(c.text), &end), Range(c.firstMatch, c.endMatch));
        EXPECT_EQ(end, c.end);
    }
}

NameQuery WithCode(NameQuery q, const char* code) {
    q.code = code;
    return q;
}

// Names in the file may be in any case; the text is upper case. A code
// matches as a whole, blanks aside.
TEST_F(NameFilterTest, UpperCaseTextAndWholeCodes) {
    mwtest::DbfTable s;
    s.fields = mwtest::GazetteerFields(16);
    s.records = {{"aachen", "PPL"}, {"Bad Ems", "PPLA"}, {"bad tölz", " PPL "}, {"Berlin", "ppl"},
                 {"Zürich", "MT"}};
    auto file = Write(s);
    struct Case {
        NameQuery query;
        std::vector<std::string> names;
    } cases[] = {
        {Prefix("BAD "), {"Bad Ems", "bad tölz"}},
        {Prefix("BAD TÖ"), {"bad tölz"}},
        {Anywhere("ÜRI"), {"Zürich"}},
        {Anywhere("E"), {"aachen", "Bad Ems", "Berlin"}},
        {Anywhere("bad"), {}},  // the text is compared as given
        {WithCode(Prefix(""), "PPL"), {"aachen", "bad tölz"}},
        {WithCode(Anywhere(""), "PPL"), {"aachen", "bad tölz"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.text + " " + c.query.code);
        EXPECT_EQ(Names(file, FilterNames(file, c.query)), c.names);
    }
}

// The block scan of the anywhere search and the record-by-record reading
// agree, wherever the text lies in the field and whatever surrounds it.
TEST_F(NameFilterTest, BlockScanAgreesWithReadingEachRecord) {
    mwtest::DbfTable s;
    s.fields = {{"NAME", 20}, {"FULL_CODE", 3}};
    const char* names[] = {"RIVERSIDE",         "the river",       "ARRIVE",
                           "xxxxxxxxxxxxxxxRIV", "RIVxxxxxxxxxxxxxxxxx", "R I V",
                           "riv",                "ri",                 "Rivière",
                           "RIVIÈRE",            "@ivr",               "",
                           "  RIV  ",            "SIXTEEN-CHARS-RI",   "SIXTEEN-CHARS-RIV"};
    for (int copy = 0; copy < 3; ++copy)
        for (const char* n : names) s.records.push_back({n, copy == 1 ? "A" : "B"});
    auto file = Write(s);
    const char* texts[] = {"RIV", "R",  "RIVIÈRE", "IVE", "XXXXXXXXXXXXXXXXXXXX",
                           "XXXXXXXXXXXXXXXXXXXXX", " I ", "RIV ", "`IVR", "@IVR", "S-R"};
    for (const char* text : texts) {
        for (const char* code : {kAllCodesText, "A"}) {
            SCOPED_TRACE(std::string(text) + " / " + code);
            NameQuery q = Anywhere(text);
            q.code = code;
            NameFilter block(file, q), each(file, q);
            each.SetBlockScan(false);
            while (!block.Step(4)) {
            }
            while (!each.Step(4)) {
            }
            EXPECT_EQ(block.Matches(), each.Matches());
        }
    }
    // One expectation spelled out, so that both cannot be wrong together.
    EXPECT_EQ(Names(file, FilterNames(file, Anywhere("RIV"))).size(), 3u * 10);
}

TEST_F(NameFilterTest, AtMost5000Results) {
    auto file = Sorted(6000);
    for (NameQuery q : {Prefix("P"), Anywhere("P"), Prefix("")}) {
        SCOPED_TRACE(q.text + (q.prefix ? " prefix" : " anywhere"));
        NameFilterEnd end;
        std::vector<std::uint32_t> m = FilterNames(file, q, &end);
        EXPECT_EQ(m, Range(0, 5000));
        EXPECT_EQ(end, NameFilterEnd::Full);
    }
}

TEST_F(NameFilterTest, BorderFilterReadsTheCoordinates) {
    mwtest::DbfTable s;
    s.fields = mwtest::GazetteerFields(10);
    s.records = {{"IN", "", "", "0.5", "0.5"},
                 {"OUT WEST", "", "", " 0.5 ", "0.19"},
                 {"EDGE IN", "", "", "1.199", "0.201"},
                 {"NO NUMBERS", "", "", "", ""}};
    auto file = Write(s);
    NameQuery q = Anywhere("");
    q.borderLat = {0.2, 1.2, 1.2, 0.2};
    q.borderLon = {0.2, 0.2, 1.2, 1.2};
    EXPECT_EQ(Names(file, FilterNames(file, q)), (std::vector<std::string>{"IN", "EDGE IN"}));
    q.borderLat.pop_back();  // a border that does not pair up tests nothing
    EXPECT_EQ(FilterNames(file, q).size(), 4u);
}

TEST_F(NameFilterTest, WorkerFindsWhatTheCallingThreadFindsAndStops) {
    auto file = Sorted(40000);
    NameQuery q = Anywhere("7");
    q.code = "PPL";
    NameFilterJob job(file, q);
    NameFilterEnd end;
    std::vector<std::uint32_t> threaded = job.Take(&end);
    ASSERT_FALSE(threaded.empty());
    EXPECT_EQ(threaded, FilterNames(file, q));
    EXPECT_EQ(end, NameFilterEnd::Full);

    // A job destroyed while running stops and joins; one told to stop ends
    // either stopped or, if it was quicker, at the end of the file.
    q = Anywhere("NOWHERE");
    { NameFilterJob running(file, q); }
    NameFilterJob stopped(file, q);
    stopped.Stop();
    stopped.Take(&end);
    EXPECT_TRUE(end == NameFilterEnd::Stopped || end == NameFilterEnd::EndOfFile);
}

}  // namespace
