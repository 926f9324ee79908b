#include "proj/position_parse.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "geo/grid_refs.h"
#include "proj/families.h"

namespace mw {

namespace {

struct Token {
    bool number = false;
    double value = 0;       // numbers: the magnitude
    bool negative = false;  // numbers: written with a minus ("-0" included)
    bool whole = false;     // numbers: no decimals
    std::string letters;    // otherwise: upper case
};

// Numbers and runs of letters; blanks, commas, semicolons and the degree,
// minute and second marks only separate them. None for anything else.
std::optional<std::vector<Token>> Tokenise(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c) || c == ',' || c == ';' || c == '\'' || c == '"') {
            ++i;
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0xB0) {  // UTF-8 "°"
            i += 2;
        } else if (std::isalpha(c)) {
            Token t;
            while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])))
                t.letters += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
            tokens.push_back(t);
        } else if (std::isdigit(c) || c == '-' || c == '+' || c == '.') {
            Token t;
            t.number = true;
            if (c == '-' || c == '+') {
                t.negative = c == '-';
                ++i;
            }
            const std::size_t start = i;
            while (i < text.size() &&
                   (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                ++i;
            const std::string_view digits = text.substr(start, i - start);
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), t.value);
            if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
                return std::nullopt;
            t.whole = digits.find('.') == std::string_view::npos;
            tokens.push_back(t);
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

// Degrees from one to three numbers (degrees, minutes, seconds): only the
// last may have decimals or be fractional, and only the first a sign.
std::optional<double> Angle(const std::vector<Token>& parts) {
    if (parts.empty() || parts.size() > 3) return std::nullopt;
    double value = 0, unit = 1;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const Token& p = parts[k];
        if (k > 0 && (p.negative || !(p.value < 60))) return std::nullopt;
        if (k + 1 < parts.size() && !p.whole) return std::nullopt;
        value += p.value / unit;
        unit *= 60;
    }
    return parts[0].negative ? -value : value;
}

std::optional<GeoPoint> ParseDegrees(const std::vector<Token>& tokens) {
    std::vector<Token> numbers;
    int latSign = 0, lonSign = 0;
    for (const Token& t : tokens) {
        if (t.number) {
            numbers.push_back(t);
        } else if (t.letters == "N" || t.letters == "S") {
            if (latSign) return std::nullopt;
            latSign = t.letters == "N" ? 1 : -1;
        } else if (t.letters == "E" || t.letters == "W") {
            if (lonSign) return std::nullopt;
            lonSign = t.letters == "E" ? 1 : -1;
        } else {
            return std::nullopt;
        }
    }
    if (numbers.size() % 2 != 0) return std::nullopt;
    const auto half = static_cast<std::ptrdiff_t>(numbers.size() / 2);
    const std::optional<double> lat = Angle({numbers.begin(), numbers.begin() + half});
    const std::optional<double> lon = Angle({numbers.begin() + half, numbers.end()});
    if (!lat || !lon) return std::nullopt;
    // A letter and a minus on the same angle contradict each other unless
    // both say south or west.
    if ((latSign == 1 && *lat < 0) || (lonSign == 1 && *lon < 0)) return std::nullopt;
    GeoPoint p{*lat, *lon};
    if (latSign == -1) p.lat = -std::fabs(p.lat);
    if (lonSign == -1) p.lon = -std::fabs(p.lon);
    return p;
}

bool AllNumbers(const std::vector<Token>& tokens, std::size_t from) {
    for (std::size_t k = from; k < tokens.size(); ++k)
        if (!tokens[k].number || tokens[k].negative) return false;
    return true;
}

std::optional<GeoPoint> ParseUtm(const std::vector<Token>& t, const DatumTable& datums, int datum) {
    if (t.size() != 4 || !t[0].number || !t[0].whole || t[1].number || t[1].letters.size() != 1 ||
        !AllNumbers(t, 2))
        return std::nullopt;
    const int zone = static_cast<int>(t[0].value);
    const char band = t[1].letters[0];
    if (zone < 1 || zone > 60 || band < 'C' || band > 'X' || band == 'I' || band == 'O')
        return std::nullopt;
    if (t[2].value > 1000000 || t[3].value > 10000000) return std::nullopt;
    return UtmToLatLon(zone, band < 'N', t[2].value, t[3].value, datums, datum);
}

std::optional<GeoPoint> ParseLetterGrid(const std::vector<Token>& t, bool british,
                                        const DatumTable& datums, int datum) {
    if (t.size() != 3 || t[0].number || t[0].letters.size() != (british ? 2u : 1u) ||
        !AllNumbers(t, 1))
        return std::nullopt;
    const GeoPoint p = british ? BritishGridToLatLon(t[0].letters, t[1].value, t[2].value, datums, datum)
                               : IrishGridToLatLon(t[0].letters, t[1].value, t[2].value, datums, datum);
    if (p.lat == 0 && p.lon == 0) return std::nullopt;
    // A square the letter tables know may still lie off the grid itself
    // ("ZZ"): such a reference names no place the grid covers.
    const GridReference back = british ? LatLonToBritishGrid(p.lat, p.lon, datums, datum)
                                        : LatLonToIrishGrid(p.lat, p.lon, datums, datum);
    if (back.zone.compare(0, t[0].letters.size(), t[0].letters) != 0) return std::nullopt;
    return p;
}

std::optional<GeoPoint> ParseMetres(const std::vector<Token>& t, int format, const DatumTable& datums,
                                    int datum, const ProjectionParams& tm) {
    if (t.size() != 2 || !t[0].number || !t[1].number) return std::nullopt;
    const double e = t[0].negative ? -t[0].value : t[0].value;
    const double n = t[1].negative ? -t[1].value : t[1].value;
    const Ellipsoid ell = GetDatumEllipsoid(datums, datum);
    double lat = 0, lon = 0;
    int code = 0;
    switch (format) {
        case 5: code = SwedishGridInverse(e, n, lat, lon, ell); break;
        case 6:
            if (tm.originLatitude == kUnsetParameter || tm.centralMeridian == kUnsetParameter ||
                tm.scaleFactor == kUnsetParameter || tm.falseEasting == kUnsetParameter ||
                tm.falseNorthing == kUnsetParameter)
                return std::nullopt;
            code = UserTmInverse(tm.originLatitude, tm.centralMeridian, tm.scaleFactor,
                                 tm.falseEasting, tm.falseNorthing, e, n, lat, lon, ell);
            break;
        case 7: code = SwissGridInverse(e, n, lat, lon, ell); break;
        case 8: code = NzmgInverse(e, n, lat, lon); break;
        case 9:
        case 10:
        case 11:
        case 12: code = FrenchLambertInverse(format - 8, e, n, lat, lon, datums, datum); break;
        case 13: code = ItalyZone1Inverse(e, n, lat, lon, ell); break;
        case 14: code = ItalyZone2Inverse(e, n, lat, lon, ell); break;
        case 15: code = VicmapInverse(e, n, lat, lon, ell); break;
        default: return std::nullopt;
    }
    // -19: a clamped asin or acos, still a usable point.
    if (code != 0 && code != -19) return std::nullopt;
    return GeoPoint{lat, lon};
}

}  // namespace

std::optional<GeoPoint> ParsePosition(std::string_view text, int formatIndex,
                                      const DatumTable& datums, int mapDatum,
                                      const ProjectionParams& tmParams) {
    const std::optional<std::vector<Token>> tokens = Tokenise(text);
    if (!tokens || tokens->empty()) return std::nullopt;
    std::optional<GeoPoint> p;
    if (formatIndex < 0 || formatIndex > 15 || formatIndex <= 1)
        p = ParseDegrees(*tokens);
    else if (formatIndex == 2)
        p = ParseUtm(*tokens, datums, mapDatum);
    else if (formatIndex <= 4)
        p = ParseLetterGrid(*tokens, formatIndex == 3, datums, mapDatum);
    else
        p = ParseMetres(*tokens, formatIndex, datums, mapDatum, tmParams);
    if (!p || !std::isfinite(p->lat) || !std::isfinite(p->lon) || std::fabs(p->lat) > 90 ||
        std::fabs(p->lon) > 180)
        return std::nullopt;
    return p;
}

}  // namespace mw
