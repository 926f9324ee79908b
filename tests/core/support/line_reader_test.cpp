// The line readers cut lines out of buffers a run at a time; these cases aim
// at the places where that can go wrong: a CR or LF right at the length
// limit, a line crossing the file reader's buffer, bytes that are neither.
#include <gtest/gtest.h>

#include <random>

#include "support/line_budget.h"
#include "support/text.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

struct Call {
    int result;
    std::string text;
};

// The rules as they read, one byte at a time: the limit is checked before
// each byte, CR is dropped, LF ends the line, the end of the data gives 0.
std::vector<Call> ByteAtATime(const std::string& data, std::size_t max) {
    std::vector<Call> calls;
    std::size_t cursor = 0;
    for (;;) {
        Call call{0, ""};
        if (cursor >= data.size()) {
            calls.push_back(call);
            return calls;
        }
        for (;;) {
            if (call.text.size() >= max) {
                call.result = 1;
                break;
            }
            if (cursor >= data.size()) break;
            char c = data[cursor++];
            if (c == '\n') {
                call.result = 1;
                break;
            }
            if (c != '\r') call.text.push_back(c);
        }
        calls.push_back(call);
        if (call.result == 0) {
            if (!call.text.empty()) calls.push_back({0, ""});
            return calls;
        }
    }
}

// Calls `read` until the end, and once more after the rest of an
// unterminated last line.
template <typename Read>
std::vector<Call> ReadAll(Read read) {
    std::vector<Call> calls;
    for (;;) {
        Call call;
        call.result = read(call.text);
        calls.push_back(call);
        if (call.result == 0 && call.text.empty()) return calls;
        if (call.result == 0) {
            call.result = read(call.text);
            calls.push_back(call);
            return calls;
        }
    }
}

std::vector<Call> FromMemory(const std::string& data, std::size_t max) {
    std::size_t cursor = 0;
    return ReadAll([&](std::string& line) { return ReadMemoryLine(data, cursor, line, max); });
}

// The views, with ReadMemoryLine's result worked out: 0 at the end, and for
// a last line cut short by the end of the text rather than a line end or
// the limit.
std::vector<Call> AsViews(const std::string& data, std::size_t max) {
    std::size_t cursor = 0;
    std::string scratch;
    return ReadAll([&](std::string& line) {
        if (cursor >= data.size()) return line.clear(), 0;
        line = NextMemoryLine(data, cursor, scratch, max);
        return cursor == data.size() && data.back() != '\n' && line.size() < max ? 0 : 1;
    });
}

std::vector<Call> FromFile(const mwtest::TempDir& dir, const std::string& data, std::size_t max) {
    dir.Write("lines.txt", data);
    TextFileReader file(dir.File("lines.txt"));
    return ReadAll([&](std::string& line) { return ReadLineMax(file, line, max); });
}

std::string Show(const std::vector<Call>& calls) {
    std::string out;
    for (const Call& c : calls) out += std::to_string(c.result) + ":" + c.text + "|";
    return out;
}

TEST(LineReaders, RandomTextsReadAsByteAtATime) {
    // Long texts of few distinct bytes, so CR, LF and limits meet in every
    // combination, and lines cross the file reader's 64 KiB buffer.
    std::mt19937 rng(7);
    const char alphabet[] = {'a', 'b', '\r', '\n', ',', '\xe9'};
    mwtest::TempDir dir;
    for (int round = 0; round < 30; ++round) {
        std::size_t size = round < 20 ? rng() % 600 : 64 * 1024 + rng() % 3000;
        std::size_t max = round % 3 == 0 ? 3 : round % 3 == 1 ? kShortLineMax : kLongLineMax;
        std::string data;
        // Sparse line ends in the big texts, so some lines span a buffer.
        int spread = round < 20 ? 6 : 400;
        for (std::size_t i = 0; i < size; ++i) {
            int r = static_cast<int>(rng() % spread);
            data.push_back(r < 6 ? alphabet[r] : 'x');
        }
        SCOPED_TRACE(round);
        const std::string want = Show(ByteAtATime(data, max));
        EXPECT_EQ(Show(FromMemory(data, max)), want);
        EXPECT_EQ(Show(AsViews(data, max)), want);
        EXPECT_EQ(Show(FromFile(dir, data, max)), want);
    }
}

// Whole lines: the rest of a line past the limit is dropped, never read as
// the next line, and counts against the budget. Lines exactly at the limit
// and the unterminated last line are the edges.
TEST(LineBudget, WholeLinesDropTheirRestAndCountItAgainstTheBudget) {
    mwtest::TempDir dir;
    struct Case {
        std::string data;
        std::size_t budget;
        std::string lines;  // what fn saw, "|" after each
        bool cut;
    };
    const Case cases[] = {
        {std::string(10, 'a') + "\r\nnext\nlast", 100, "aaaa|next|last|", false},
        {"abcd\nefgh\n", 100, "abcd|efgh|", false},  // exactly at the limit
        {std::string(10, 'a') + "\nnext\n", 8, "", true},
        {std::string(10, 'a') + "\nnext\n", 12, "aaaa|", true},
        {std::string(5000, '\0'), 1000, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        dir.Write("f", c.data);
        TextFileReader file(dir.File("f"));
        std::string seen;
        const bool cut = ForEachWholeLineWithin(
            file, c.budget, [&](const std::string& line) { return seen += line + "|", true; }, 4);
        EXPECT_EQ(seen, c.lines);
        EXPECT_EQ(cut, c.cut);
    }
    EXPECT_TRUE(IsTextLine("a\tb, \xe9"));
    EXPECT_FALSE(IsTextLine(std::string("a\0b", 3)));
}

}  // namespace
