#include "gpx/gpx_model.h"

#include <cstdio>

#include "support/civil_date.h"
#include "support/number_format.h"
#include "support/text.h"

namespace mw {

namespace {

struct Civil {
    std::int64_t year;
    int month, day, hour, minute, second;
};

Civil CivilFromSeconds(std::int64_t utc) {
    const std::int64_t days = utc >= 0 ? utc / 86400 : -((-utc + 86399) / 86400);
    const std::int64_t rest = utc - days * 86400;
    const CivilDate date = CivilFromDays(days);
    return Civil{date.year, date.month, date.day, static_cast<int>(rest / 3600),
                 static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)};
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// `count` digits at `pos`, or -1.
int Digits(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size()) return -1;
    int v = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

bool ValidFields(int y, int mo, int d, int h, int mi, int s) {
    // 60 admits a leap second; it then counts as the next minute's 0.
    return y >= 0 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) && h >= 0 &&
           h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 60;
}

}  // namespace

std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
           hour * 3600 + minute * 60 + second;
}

std::string FormatIsoTime(std::int64_t utc) {
    const Civil c = CivilFromSeconds(utc);
    return Format("%04lld-%02d-%02dT%02d:%02d:%02dZ", static_cast<long long>(c.year), c.month,
                  c.day, c.hour, c.minute, c.second);
}

std::optional<std::int64_t> ParseIsoTime(std::string_view text) {
    // Trimmed in place: this runs for every point of a track.
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' ||
                             text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    const int y = Digits(text, 0, 4), mo = Digits(text, 5, 2), d = Digits(text, 8, 2);
    const int h = Digits(text, 11, 2), mi = Digits(text, 14, 2), s = Digits(text, 17, 2);
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') ||
        text[13] != ':' || text[16] != ':' || !ValidFields(y, mo, d, h, mi, s))
        return std::nullopt;
    std::size_t pos = 19;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
        if (pos == start) return std::nullopt;
    }
    std::int64_t offset = 0;
    if (pos < text.size()) {
        const char zone = text[pos];
        if ((zone == 'Z' || zone == 'z') && pos + 1 == text.size()) {
        } else if ((zone == '+' || zone == '-') && pos + 6 == text.size() && text[pos + 3] == ':') {
            const int oh = Digits(text, pos + 1, 2), om = Digits(text, pos + 4, 2);
            if (oh < 0 || oh > 23 || om < 0 || om > 59) return std::nullopt;
            offset = (oh * 3600 + om * 60) * (zone == '+' ? 1 : -1);
        } else {
            return std::nullopt;
        }
    }
    return UtcSeconds(y, mo, d, h, mi, s) - offset;
}

std::optional<std::int64_t> PltTime(std::string_view date, std::string_view time) {
    const std::string d = Trim(date), t = Trim(time);
    if (d.size() != 6 || t.size() != 6) return std::nullopt;
    const int day = Digits(d, 0, 2), month = Digits(d, 2, 2), yy = Digits(d, 4, 2);
    const int h = Digits(t, 0, 2), mi = Digits(t, 2, 2), s = Digits(t, 4, 2);
    if (yy < 0) return std::nullopt;
    const int year = yy >= 80 ? 1900 + yy : 2000 + yy;
    if (!ValidFields(year, month, day, h, mi, s)) return std::nullopt;
    return UtcSeconds(year, month, day, h, mi, s);
}

std::pair<std::string, std::string> PltDateAndTime(std::int64_t utc) {
    // "%02d%02d%02d" twice, without printf: an import calls this for every
    // track point.
    const Civil c = CivilFromSeconds(utc);
    std::pair<std::string, std::string> out;
    for (long long v : {static_cast<long long>(c.day), static_cast<long long>(c.month),
                        static_cast<long long>(c.year % 100)})
        AppendInt(out.first, v, 2, true);
    for (int v : {c.hour, c.minute, c.second}) AppendInt(out.second, v, 2, true);
    return out;
}

std::string BlankSeparators(std::string_view text, bool& changed) {
    std::string out(text);
    for (char& c : out) {
        if (c == ',' || c == '\r' || c == '\n') {
            c = ' ';
            changed = true;
        }
    }
    return out;
}

}  // namespace mw
