#include "proj/position_parse.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

#include "geo/format_names.h"
#include "geo/grid_refs.h"
#include "proj/projection_names.h"
#include "support/text.h"

namespace mw {

namespace {

// A word of a position text: a number as typed, or a run of letters.
struct Token {
    std::string text;
    bool number = false;
};

// Splits on blanks, commas, degree, minute and second marks (ASCII and the
// usual UTF-8 ones), and between digits and letters ("32U" -> "32", "U";
// "TQ3001080530" -> "TQ", "3001080530"). `commaAt` receives the token index
// at which the first comma stood, or -1; `commas` how many there were.
std::vector<Token> Tokenize(std::string_view text, int& commaAt, int& commas) {
    std::vector<Token> out;
    commaAt = -1;
    commas = 0;
    std::size_t i = 0;
    auto isNumberChar = [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+';
    };
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ',') {
            if (commas++ == 0) commaAt = static_cast<int>(out.size());
            ++i;
        } else if (std::isspace(c) || c == '\'' || c == '"' || c == '*' || c == ':') {
            ++i;
        } else if (c >= 0x80) {
            // °, º, ′, ″ and any other non-ASCII mark: a separator.
            ++i;
        } else if (isNumberChar(static_cast<char>(c))) {
            std::size_t j = i + 1;
            while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) ||
                                       text[j] == '.'))
                ++j;
            out.push_back({std::string(text.substr(i, j - i)), true});
            i = j;
        } else if (std::isalpha(c)) {
            std::size_t j = i + 1;
            while (j < text.size() && std::isalpha(static_cast<unsigned char>(text[j]))) ++j;
            std::string word(text.substr(i, j - i));
            for (char& ch : word) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            out.push_back({word, false});
            i = j;
        } else {
            out.push_back({std::string(1, static_cast<char>(c)), false});  // refused later
            ++i;
        }
    }
    return out;
}

std::optional<double> Number(const std::string& t) {
    const char* b = t.data();
    const char* e = b + t.size();
    if (b != e && *b == '+') ++b;
    double v = 0;
    auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || b == e || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool IsHemisphere(const Token& t) {
    return !t.number && (t.text == "N" || t.text == "S" || t.text == "E" || t.text == "W");
}

// One coordinate: up to three numbers (degrees, minutes, seconds) and at most
// one hemisphere letter before or after them. `hemisphere` receives the
// letter, or 0.
std::optional<double> Coordinate(const std::vector<Token>& tokens, char& hemisphere) {
    hemisphere = 0;
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.number) {
            numbers.push_back(t.text);
        } else if (IsHemisphere(t) && hemisphere == 0 &&
                   (i == 0 || i + 1 == tokens.size())) {
            hemisphere = t.text[0];
        } else {
            return std::nullopt;
        }
    }
    if (numbers.empty() || numbers.size() > 3) return std::nullopt;
    double parts[3] = {0, 0, 0};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        auto v = Number(numbers[i]);
        if (!v) return std::nullopt;
        // Only the degrees carry a sign; minutes and seconds stay below 60,
        // and only the last part may have a fraction.
        if (i > 0 && (*v < 0 || *v >= 60 || numbers[i][0] == '-' || numbers[i][0] == '+'))
            return std::nullopt;
        if (i + 1 < numbers.size() && numbers[i].find('.') != std::string::npos)
            return std::nullopt;
        parts[i] = *v;
    }
    const bool negative = numbers[0][0] == '-';  // "-0 07.200'" is west of Greenwich
    double value = std::fabs(parts[0]) + parts[1] / 60 + parts[2] / 3600;
    if (hemisphere == 'S' || hemisphere == 'W') {
        if (negative) return std::nullopt;  // "-51 S": which was meant?
        value = -value;
    } else if (negative) {
        value = -value;
    }
    return value;
}

bool IsLatitudeLetter(char h) { return h == 'N' || h == 'S'; }

// Latitude and longitude in any degree form: "51.5,-0.12", "51 30.500'  -0
// 07.200'", "51°30'00\"N 0°07'12\"W", "N51 30.5 W0 7.2".
std::optional<GeoPoint> ReadDegrees(std::string_view text) {
    int commaAt = -1, commas = 0;
    std::vector<Token> tokens = Tokenize(text, commaAt, commas);
    if (commas > 1 || tokens.empty()) return std::nullopt;
    std::size_t split = 0;
    if (commas == 1) {
        split = static_cast<std::size_t>(commaAt);
    } else {
        // A hemisphere letter ends the first half when letters follow the
        // numbers, and starts the second when they lead them.
        std::vector<std::size_t> letters;
        for (std::size_t i = 0; i < tokens.size(); ++i)
            if (IsHemisphere(tokens[i])) letters.push_back(i);
        if (letters.size() == 2) {
            split = letters[0] == 0 ? letters[1] : letters[0] + 1;
        } else if (letters.size() == 1) {
            // One letter, as people write a position north of the equator
            // ("51 30.5 0 7.25 W"): in the middle it ends the first half;
            // at either end it goes with its half and the numbers part
            // evenly, since the marks that would tell degrees from minutes
            // are gone.
            const std::size_t at = letters[0], numbers = tokens.size() - 1;
            if (at == tokens.size() - 1) {
                if (numbers % 2 == 0) split = numbers / 2;
            } else if (at == 0) {
                if (numbers % 2 == 0) split = 1 + numbers / 2;
            } else {
                split = at + 1;
            }
        } else if (letters.empty()) {
            // The program's own texts part the two with two blanks.
            const std::size_t gap = text.find("  ");
            if (gap != std::string_view::npos && gap > 0 &&
                text.find_first_not_of(' ', gap) != std::string_view::npos) {
                int c1 = 0, n1 = 0;
                split = Tokenize(text.substr(0, gap), c1, n1).size();
            } else if (tokens.size() % 2 == 0) {
                split = tokens.size() / 2;
            }
        }
    }
    if (split == 0 || split >= tokens.size()) return std::nullopt;
    std::vector<Token> first(tokens.begin(), tokens.begin() + split);
    std::vector<Token> second(tokens.begin() + split, tokens.end());
    char h1 = 0, h2 = 0;
    auto a = Coordinate(first, h1);
    auto b = Coordinate(second, h2);
    if (!a || !b) return std::nullopt;
    // Letters name the halves; without them latitude comes first.
    GeoPoint p{*a, *b};
    if (h1 && h2) {
        if (IsLatitudeLetter(h1) == IsLatitudeLetter(h2)) return std::nullopt;
        if (!IsLatitudeLetter(h1)) p = {*b, *a};
    } else if ((h1 && !IsLatitudeLetter(h1)) || (h2 && IsLatitudeLetter(h2))) {
        return std::nullopt;
    }
    if (std::fabs(p.lat) > 90 || std::fabs(p.lon) > 180) return std::nullopt;
    return p;
}

// Two plain numbers: easting and northing, in metres.
std::optional<std::pair<double, double>> TwoNumbers(const std::vector<Token>& t, std::size_t from) {
    if (t.size() != from + 2 || !t[from].number || !t[from + 1].number) return std::nullopt;
    auto e = Number(t[from].text), n = Number(t[from + 1].text);
    if (!e || !n) return std::nullopt;
    return std::make_pair(*e, *n);
}

// Metres within a 100 km square from grid-reference digits: two groups of
// equal length ("30010 80530", "300 805") or one run of an even number of
// digits ("3001080530"), each half 1 to 5 digits, scaled to metres.
std::optional<std::pair<double, double>> SquareDigits(const std::vector<Token>& t,
                                                      std::size_t from) {
    auto allDigits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    std::string e, n;
    if (t.size() == from + 2 && allDigits(t[from].text) && allDigits(t[from + 1].text) &&
        t[from].text.size() == t[from + 1].text.size()) {
        e = t[from].text;
        n = t[from + 1].text;
    } else if (t.size() == from + 1 && allDigits(t[from].text) && t[from].text.size() % 2 == 0) {
        e = t[from].text.substr(0, t[from].text.size() / 2);
        n = t[from].text.substr(t[from].text.size() / 2);
    } else if (t.size() == from + 2 && t[from].number && t[from + 1].number) {
        // Metres with a fraction ("30010.5 80530.2") as the program stores them.
        auto a = Number(t[from].text), b = Number(t[from + 1].text);
        if (!a || !b || *a < 0 || *b < 0 || *a >= 100000 || *b >= 100000) return std::nullopt;
        return std::make_pair(*a, *b);
    } else {
        return std::nullopt;
    }
    if (e.size() > 5) return std::nullopt;
    const double scale = std::pow(10.0, 5 - static_cast<int>(e.size()));
    return std::make_pair(ParseReal(e) * scale, ParseReal(n) * scale);
}

std::optional<GeoPoint> ReadUtm(std::string_view text, const DatumTable& datums, int datum) {
    int commaAt, commas;
    std::vector<Token> t = Tokenize(text, commaAt, commas);
    if (t.size() != 4 || !t[0].number || t[1].number || t[1].text.size() != 1) return std::nullopt;
    if (t[0].text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const int zone = ParseInt(t[0].text);
    const char band = t[1].text[0];
    bool southern;
    if (zone == 0) {
        if (band != 'A' && band != 'B' && band != 'Y' && band != 'Z') return std::nullopt;
        southern = band == 'A' || band == 'B';
    } else {
        if (zone > 60 || band < 'C' || band > 'X' || band == 'I' || band == 'O') return std::nullopt;
        southern = band < 'N';
    }
    auto en = TwoNumbers(t, 2);
    if (!en) return std::nullopt;
    const auto [e, n] = *en;
    const double maxE = zone == 0 ? 4000000 : 1000000, maxN = zone == 0 ? 4000000 : 10000000;
    if (e <= 0 || e >= maxE || n < 0 || n > maxN) return std::nullopt;
    GeoPoint p = UtmToLatLon(zone, southern, e, n, datums, datum);
    if (!std::isfinite(p.lat) || !std::isfinite(p.lon)) return std::nullopt;
    // The band letter must agree with the latitude found: "33S" means band
    // S (north of the equator) here, and a southern position typed with it
    // lands in the wrong hemisphere, far from what was meant.
    if (zone != 0) {
        GridReference back = LatLonToUtm(p.lat, p.lon, datums, datum);
        if (back.zone.size() < 3 || back.zone[2] != band) return std::nullopt;
    }
    return p;
}

// British ("TQ 30010 80530") or Irish ("O 15000 34000") letter squares; the
// position must lie in the square named, so a letter pair outside the grid's
// area is refused rather than read as somewhere else.
std::optional<GeoPoint> ReadLetterGrid(std::string_view text, bool british,
                                       const DatumTable& datums, int datum) {
    int commaAt, commas;
    std::vector<Token> t = Tokenize(text, commaAt, commas);
    const std::size_t letters = british ? 2 : 1;
    if (t.size() < 2 || t[0].number || t[0].text.size() != letters) return std::nullopt;
    auto en = SquareDigits(t, 1);
    if (!en) return std::nullopt;
    GeoPoint p = british ? BritishGridToLatLon(t[0].text, en->first, en->second, datums, datum)
                         : IrishGridToLatLon(t[0].text, en->first, en->second, datums, datum);
    if (p.lat == 0 && p.lon == 0) return std::nullopt;
    GridReference back = british ? LatLonToBritishGrid(p.lat, p.lon, datums, datum)
                                 : LatLonToIrishGrid(p.lat, p.lon, datums, datum);
    if (back.zone != t[0].text) return std::nullopt;
    return p;
}

// The projection behind a plain-metres format (5..15).
int GridFormatProjection(int format) {
    switch (format) {
        case 5: return kProjSwedishGrid;
        case 6: return kProjTransverseMercator;
        case 7: return kProjSwissGrid;
        case 8: return kProjNewZealandGrid;
        case 9: return kProjFrenchI;
        case 10: return kProjFrenchII;
        case 11: return kProjFrenchIII;
        case 12: return kProjFrenchIV;
        case 13: return kProjItaly1;
        case 14: return kProjItaly2;
        case 15: return kProjVicmap;
    }
    return kProjUnsupported;
}

std::optional<GeoPoint> ReadPlainGrid(std::string_view text, int format, const DatumTable& datums,
                                      int datum, const ProjectionParams& tmParams) {
    int commaAt, commas;
    std::vector<Token> t = Tokenize(text, commaAt, commas);
    auto en = TwoNumbers(t, 0);
    if (!en || commas > 1) return std::nullopt;
    ProjectionState state;
    state.params = tmParams;
    state.mapDatum = datum;
    const int id = GridFormatProjection(format);
    GeoResult g = ProjectInverse(id, state, datums, en->first, en->second);
    if ((g.error != kProjOk && g.error != kProjErrDomain) || !std::isfinite(g.lat) ||
        !std::isfinite(g.lon) || std::fabs(g.lat) > 90 || std::fabs(g.lon) > 180)
        return std::nullopt;
    // Metres the grid cannot reach come back somewhere else: refuse them.
    ProjectedPoint back = ProjectForward(id, state, datums, g.lat, g.lon);
    if (std::hypot(back.easting - en->first, back.northing - en->second) > 1.0) return std::nullopt;
    return GeoPoint{g.lat, g.lon};
}

std::optional<ParsedPosition> ReadAs(std::string_view text, int format, const DatumTable& datums,
                                     int datum, const ProjectionParams& tmParams) {
    std::optional<GeoPoint> p;
    switch (format) {
        case 0:
        case 1: p = ReadDegrees(text); break;
        case 2: p = ReadUtm(text, datums, datum); break;
        case 3: p = ReadLetterGrid(text, true, datums, datum); break;
        case 4: p = ReadLetterGrid(text, false, datums, datum); break;
        default: p = ReadPlainGrid(text, format, datums, datum, tmParams); break;
    }
    if (!p) return std::nullopt;
    return ParsedPosition{*p, format};
}

}  // namespace

std::string PositionExample(int format) {
    switch (format) {
        case kAnyPositionFormat: return "51.5,-0.12 or 30U 699316 5710164 or TQ 30010 80530";
        case 0: return "51 30.500'  -0 07.200'";
        case 1: return "51 30' 00.0\"  -0 07' 12.0\"";
        case 2: return "30U 699316 5710164";
        case 3: return "TQ 30010 80530";
        case 4: return "O 15000 34000";
    }
    return "EASTING NORTHING in metres";
}

PositionParse ParsePositionText(std::string_view text, int format, const DatumTable& datums,
                                int datum, const ProjectionParams& tmParams) {
    PositionParse out;
    if (format < kAnyPositionFormat || format >= kPositionFormatCount) format = kAnyPositionFormat;
    if (format != kAnyPositionFormat)
        out.position = ReadAs(text, format, datums, datum, tmParams);
    // Degrees and the lettered grids say what they are, so they are taken
    // whatever the expected format (a pasted "51.5,-0.12" in a UTM field).
    for (int f : {2, 3, 4, 0}) {
        if (out.position) break;
        if (f == format || (f == 0 && format == 1)) continue;
        out.position = ReadAs(text, f, datums, datum, tmParams);
    }
    if (!out.position) {
        const std::string name = format == kAnyPositionFormat
                                     ? std::string("any position format")
                                     : std::string(kPositionFormatNames[format]);
        out.error = "not a position in " + name + " (for example " + PositionExample(format) + ")";
    }
    return out;
}

std::string_view ProjectionImpliedByFormat(int format) {
    int id = kProjLatLon;
    switch (format) {
        case 2: id = kProjUtm; break;
        case 3: id = kProjBritishGrid; break;
        case 4: id = kProjIrishGrid; break;
        default:
            if (format >= 5 && format < kPositionFormatCount) id = GridFormatProjection(format);
    }
    if (id == kProjLatLon) return {};
    for (const ProjectionChoice& c : kProjectionChoices)
        if (c.id == id) return c.name;
    return {};
}

const ProjectionChoice* FindProjectionChoiceLoosely(std::string_view name) {
    auto lower = [](std::string_view s) {
        std::string r(s);
        for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return r;
    };
    const std::string want = lower(Trim(name));
    if (want.empty()) return nullptr;
    for (const ProjectionChoice& c : kProjectionChoices) {
        const std::string full = lower(c.name);
        if (full == want) return &c;
        // "(UTM)" or "utm": the bracketed key alone.
        const std::size_t close = full.find(')');
        if (full[0] == '(' && close != std::string::npos &&
            (full.substr(0, close + 1) == want || full.substr(1, close - 1) == want))
            return &c;
    }
    // "latitude", "mercator", "transverse": a word that starts one name only.
    const ProjectionChoice* found = nullptr;
    for (const ProjectionChoice& c : kProjectionChoices) {
        if (lower(c.name).rfind(want, 0) == 0) {
            if (found) return nullptr;
            found = &c;
        }
    }
    return found;
}

}  // namespace mw
