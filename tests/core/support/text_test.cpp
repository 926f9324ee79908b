#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>

#include "support/text.h"
#include "testlib/temp_dir.h"

using namespace mw;

TEST(GetField, PicksTrimmedFieldsAndFallsBackOnEmptyOrMissing) {
    struct Case {
        const char* line;
        int n;
        const char* expected;
    };
    const Case cases[] = {
        {"a,,c", 2, "dflt"},  // empty field
        {"a,,c", 4, "dflt"},  // missing field
        {"key,   ,x", 2, ""},  // spaces: empty text, not the fallback
        {"  key  ,  v w  ", 2, "v w"},
        {"key,\tv\t", 2, "\tv\t"},    // only spaces are trimmed
        {"key, x, y ", 102, "x, y"},  // rest of line
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetField(c.line, c.n, "dflt"), c.expected) << c.line << " n=" << c.n;
        // The copy-free reader gives the same text, from inside the line
        // unless it is the fallback.
        const std::string_view line = c.line, view = GetFieldView(line, c.n, "dflt");
        EXPECT_EQ(view, c.expected) << c.line << " n=" << c.n;
        if (view != "dflt") {
            EXPECT_GE(view.data(), line.data());
            EXPECT_LE(view.data() + view.size(), line.data() + line.size());
        }
    }
    // The tab-separated reader keeps commas inside its fields.
    EXPECT_EQ(GetTabField("a,b\tc,d\t", 2, "x"), "c,d");
    EXPECT_EQ(GetTabField("a,b\tc,d\t", 3, "x"), "x");
}

TEST(Numbers, ParseRoundAndDivide) {
    struct Case {
        const char* text;
        double value;
    };
    // A comma ends a number, and out of range is read whole, in every locale.
    const Case reals[] = {{"  12.5xyz", 12.5}, {"abc", 0},  {"\t7", 7},
                          {".5", 0.5},         {"+-1", 0},  {"3,5", 3},
                          {"1e3", 1000},       {"1.5e999", HUGE_VAL}, {"-2.5e999", -HUGE_VAL}};
    for (const Case& c : reals) EXPECT_DOUBLE_EQ(ParseReal(c.text), c.value) << c.text;
    // Numbers for files keep the point under any locale.
    EXPECT_EQ(Format("%.1f|%12.7f|%g|%.0f", 1.25, -3.15, 0.5, 1e6), "1.2|  -3.1500000|0.5|1000000");

    // Plain decimals take a shorter road; it must land on from_chars' double
    // (correctly rounded, as strtod's in the C locale), bit for bit, for
    // every length of mantissa and fraction.
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        std::string t = rng() % 3 == 0 ? "-" : "";
        for (int k = rng() % 12; k > 0; --k) t += char('0' + rng() % 10);
        if (rng() % 4) t += '.';
        for (int k = rng() % 18; k > 0; --k) t += char('0' + rng() % 10);
        if (rng() % 5 == 0) t += ",x";
        double expected = 0;
        std::from_chars(t.data(), t.data() + t.size(), expected);
        const double got = ParseReal(t);
        ASSERT_TRUE(got == expected && std::signbit(got) == std::signbit(expected)) << t;
    }

    EXPECT_EQ(ParseInt(" 42abc"), 42);
    EXPECT_EQ(ParseInt("-7.9"), -7);
    EXPECT_EQ(ParseInt("99999999999"), 2147483647);
    EXPECT_EQ(ParseInt("-99999999999"), -2147483647 - 1);

    EXPECT_DOUBLE_EQ(RoundToStep(-1.7, 1), -1);  // -1.7 + 0.5 is cut towards zero
    EXPECT_DOUBLE_EQ(RoundToStep(7.4, 5), 5);
    EXPECT_EQ(IntQuotient(7, 0), 0);
}

class LineFiles : public ::testing::Test {
protected:
    mwtest::TempDir dir;
};

TEST_F(LineFiles, ForEachLineKeepsAnUnterminatedLastLine) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", {"a", "b"}}, {"a\nb", {"a", "b"}},       {"", {}},
    };
    for (const Case& c : cases) {
        dir.Write("f.txt", c.bytes);
        TextFileReader f(dir.File("f.txt"));
        std::vector<std::string> got;
        ForEachLine(f, [&](const std::string& l) {
            got.push_back(l);
            return true;
        });
        EXPECT_EQ(got, c.lines) << c.bytes;
    }
}

TEST_F(LineFiles, WriterReplacesTargetOnlyOnCommit) {
    dir.Write("out.txt", "old\r\n");
    for (bool commit : {false, true}) {
        {
            TextFileWriter w(dir.File("out.txt"));
            ASSERT_TRUE(w.IsOpen());
            w.WriteText("x");
            w.WriteLine("");
            w.WriteLine("y");
            if (commit) {
                EXPECT_TRUE(w.Commit());
            }
        }
        EXPECT_EQ(dir.Read("out.txt"), commit ? "x\r\ny\r\n" : "old\r\n");
    }
    // No temporary file is left behind.
    int count = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++count;
    EXPECT_EQ(count, 1);
    TextFileWriter missing(dir.File("no/such/out.txt"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.Commit());
}

TEST_F(LineFiles, BytesRoundTripUnchanged) {
    std::string bytes;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n') bytes += static_cast<char>(c);
    {
        TextFileWriter w(dir.File("b.txt"));
        w.WriteLine(bytes.substr(0, 200));
        w.WriteLine(bytes.substr(200));
        ASSERT_TRUE(w.Commit());
    }
    TextFileReader r(dir.File("b.txt"));
    std::string a, b;
    ReadLine(r, a);
    ReadLine(r, b);
    EXPECT_EQ(a + b, bytes);
}
