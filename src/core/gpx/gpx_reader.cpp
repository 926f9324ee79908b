#include "gpx/gpx_reader.h"

#include <expat.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "nav/route_file.h"
#include "support/text.h"

namespace mw {

namespace {

// Namespace URI and local name are joined by this character; no URI holds a
// blank.
constexpr char kNsSeparator = ' ';
// Deeper than any GPX document goes; a file nesting further is an attack or
// garbage, and the parser's stack would grow with it.
constexpr std::size_t kMaxDepth = 256;
// Longest text kept of one leaf element; the rest is dropped.
constexpr std::size_t kMaxLeafText = 4096;
constexpr std::size_t kReadChunk = 1 << 18;

enum class El {
    Gpx, Wpt, Rte, Rtept, Trk, Trkseg, Trkpt, Extensions, Other,
    // Leaves whose text is kept.
    Name, Desc, Ele, Time, Sym, MwField,
};

enum class Ns { Gpx, Mw, Other };

struct Frame {
    El el;
    El parent;  // for Extensions: whose
};

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimView(std::string_view t) {
    while (!t.empty() && IsBlankChar(t.front())) t.remove_prefix(1);
    while (!t.empty() && IsBlankChar(t.back())) t.remove_suffix(1);
    return t;
}

bool ParseIntText(std::string_view text, int& value) {
    text = TrimView(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

class Parser {
public:
    explicit Parser(GpxSink& sink) : sink_(sink) {
        parser_ = XML_ParserCreateNS(nullptr, kNsSeparator);
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &Parser::Start, &Parser::End);
        XML_SetCharacterDataHandler(parser_, &Parser::Chars);
        // Entity amplification ("billion laughs") is refused by expat itself
        // since 2.4 with its limits on by default; the tests hold it to that.
        stack_.reserve(32);
        text_.reserve(256);
    }
    ~Parser() { XML_ParserFree(parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Parses `len` bytes already in the parser's buffer.
    bool ParseBuffer(int len, bool final) {
        if (XML_ParseBuffer(parser_, len, final) == XML_STATUS_OK) return true;
        Fail();
        return false;
    }
    void* Buffer(int len) { return XML_GetBuffer(parser_, len); }
    bool Parse(std::string_view text) {
        // Fed in pieces: expat takes an int length.
        while (text.size() > kReadChunk) {
            if (XML_Parse(parser_, text.data(), static_cast<int>(kReadChunk), XML_FALSE) !=
                XML_STATUS_OK) {
                Fail();
                return false;
            }
            text.remove_prefix(kReadChunk);
        }
        if (XML_Parse(parser_, text.data(), static_cast<int>(text.size()), XML_TRUE) ==
            XML_STATUS_OK)
            return true;
        Fail();
        return false;
    }

    GpxReadResult result;

private:
    void Fail() {
        if (!result.error.empty()) return;  // our own reason, already given
        result.error = Format("%s (line %lu)", XML_ErrorString(XML_GetErrorCode(parser_)),
                              static_cast<unsigned long>(XML_GetCurrentLineNumber(parser_)));
    }
    void Stop(const std::string& why) {
        result.error = Format("%s (line %lu)", why.c_str(),
                              static_cast<unsigned long>(XML_GetCurrentLineNumber(parser_)));
        XML_StopParser(parser_, XML_FALSE);
    }

    static Ns Split(const XML_Char* full, std::string_view& local) {
        std::string_view name(full);
        const std::size_t sep = name.find(kNsSeparator);
        if (sep == std::string_view::npos) {
            local = name;
            return Ns::Gpx;  // no namespace: taken as GPX
        }
        local = name.substr(sep + 1);
        const std::string_view uri = name.substr(0, sep);
        if (uri == kGpx11Namespace || uri == kGpx10Namespace) return Ns::Gpx;
        if (uri == kMwGpxNamespace) return Ns::Mw;
        return Ns::Other;
    }

    // lat and lon of a point element; false when either is missing or bad.
    static bool Position(const XML_Char** attrs, double& lat, double& lon) {
        bool haveLat = false, haveLon = false;
        for (int i = 0; attrs[i]; i += 2) {
            // Attributes without a prefix carry no namespace.
            if (std::strcmp(attrs[i], "lat") == 0)
                haveLat = ParseGpxDecimal(attrs[i + 1], lat) && lat >= -90 && lat <= 90;
            else if (std::strcmp(attrs[i], "lon") == 0)
                haveLon = ParseGpxDecimal(attrs[i + 1], lon) && lon >= -180 && lon <= 180;
        }
        return haveLat && haveLon;
    }

    El Classify(El parent, Ns ns, std::string_view local, const XML_Char** attrs) {
        if (ns == Ns::Mw) {
            if (parent == El::Extensions) {
                field_ = local;
                return El::MwField;
            }
            return El::Other;
        }
        if (ns != Ns::Gpx) return El::Other;
        switch (parent) {
            case El::Gpx:
                if (local == "wpt") {
                    waypoint_ = Waypoint{};
                    havePosition_ = Position(attrs, waypoint_.lat, waypoint_.lon);
                    return El::Wpt;
                }
                if (local == "rte") {
                    route_ = Route{};
                    routeColour_ = false;
                    return El::Rte;
                }
                if (local == "trk") {
                    sink_.OnTrack();
                    return El::Trk;
                }
                return El::Other;
            case El::Wpt:
                if (local == "name") return El::Name;
                if (local == "desc") return El::Desc;
                if (local == "ele") return El::Ele;
                if (local == "sym") return El::Sym;
                if (local == "extensions") return El::Extensions;
                return El::Other;
            case El::Rte:
                if (local == "name") return El::Name;
                if (local == "desc") return El::Desc;
                if (local == "extensions") return El::Extensions;
                if (local == "rtept") {
                    routePoint_ = RoutePoint{};
                    routePointName_ = false;
                    havePosition_ = Position(attrs, routePoint_.lat, routePoint_.lon);
                    return El::Rtept;
                }
                return El::Other;
            case El::Rtept:
                return local == "name" ? El::Name : El::Other;
            case El::Trk:
                if (local == "trkseg") {
                    sink_.OnSegment();
                    segmentStart_ = true;
                    return El::Trkseg;
                }
                return El::Other;
            case El::Trkseg:
                if (local == "trkpt") {
                    point_.eleMetres.reset();
                    point_.time.reset();
                    havePosition_ = Position(attrs, point_.lat, point_.lon);
                    return El::Trkpt;
                }
                return El::Other;
            case El::Trkpt:
                if (local == "ele") return El::Ele;
                if (local == "time") return El::Time;
                return El::Other;
            default:
                return El::Other;
        }
    }

    static void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attrs) {
        auto& p = *static_cast<Parser*>(data);
        std::string_view local;
        const Ns ns = Split(name, local);
        if (p.stack_.empty()) {
            if (ns != Ns::Gpx || local != "gpx") {
                p.Stop("not a GPX file: the document is <" + std::string(local) + ">");
                return;
            }
            const std::string_view full(name);
            p.result.version = full.rfind(kGpx10Namespace, 0) == 0   ? 10
                               : full.rfind(kGpx11Namespace, 0) == 0 ? 11
                                                                     : 0;
            p.stack_.push_back({El::Gpx, El::Gpx});
            return;
        }
        if (p.stack_.size() >= kMaxDepth) {
            p.Stop("elements nested too deep");
            return;
        }
        const El parent = p.stack_.back().el;
        const El el = parent == El::Other ? El::Other : p.Classify(parent, ns, local, attrs);
        p.stack_.push_back({el, parent});
        p.text_.clear();
    }

    static void XMLCALL Chars(void* data, const XML_Char* s, int len) {
        auto& p = *static_cast<Parser*>(data);
        if (p.stack_.empty() || p.stack_.back().el < El::Name) return;
        const std::size_t room = kMaxLeafText - std::min(kMaxLeafText, p.text_.size());
        p.text_.append(s, std::min(room, static_cast<std::size_t>(len)));
    }

    std::string Blanked(std::string_view text) {
        return BlankSeparators(TrimView(text), result.textsBlanked);
    }

    void Leaf(El el, El owner) {
        switch (owner) {
            case El::Wpt:
                if (el == El::Name) waypoint_.name = CutWaypointName(Blanked(text_));
                else if (el == El::Desc) waypoint_.description = Blanked(text_);
                else if (el == El::Ele) {
                    double m;
                    if (ParseGpxDecimal(text_, m))
                        waypoint_.altitude = static_cast<float>(m / kMetresPerFoot);
                } else if (el == El::Sym) {
                    ParseIntText(text_, waypoint_.symbol);
                }
                break;
            case El::Rte:
                if (el == El::Name) route_.name = Blanked(text_);
                else if (el == El::Desc) route_.description = Blanked(text_);
                break;
            case El::Rtept:
                if (el == El::Name) {
                    routePoint_.name = Blanked(text_);
                    routePointName_ = true;
                }
                break;
            case El::Trkpt:
                if (el == El::Ele) {
                    double m;
                    if (ParseGpxDecimal(text_, m)) point_.eleMetres = m;
                } else if (el == El::Time) {
                    point_.time = ParseIsoTime(text_);
                }
                break;
            default:
                break;
        }
    }

    void WaypointField() {
        Waypoint& w = waypoint_;
        const std::string_view f = field_;
        const std::string_view t = TrimView(text_);
        int* ints[] = {&w.field7, &w.field8, &w.textColour, &w.backColour, &w.field12,
                       &w.field13, &w.proximityDistance, &w.field16, &w.field17, &w.field18,
                       &w.popupPosition, &w.field21};
        static constexpr const char* kIntNames[] = {
            "field7",  "field8",  "textColour", "backColour",    "field12", "field13",
            "proximityDistance", "field16", "field17", "field18", "popupPosition", "field21"};
        for (std::size_t i = 0; i < std::size(kIntNames); ++i)
            if (f == kIntNames[i]) {
                ParseIntText(t, *ints[i]);
                return;
            }
        double v;
        if (f == "date") {
            if (ParseGpxDecimal(t, v)) w.date = v;
        } else if (f == "popupSeconds") {
            if (ParseGpxDecimal(t, v)) w.popupSeconds = static_cast<float>(v);
        } else if (f == "attachment") {
            w.attachment = Blanked(t);
        } else if (f == "proximityImage") {
            w.proximityImage = Blanked(t);
        } else if (f == "proximitySound") {
            w.proximitySound = Blanked(t);
        }
    }

    static void XMLCALL End(void* data, const XML_Char*) {
        auto& p = *static_cast<Parser*>(data);
        if (p.stack_.empty()) return;
        const Frame f = p.stack_.back();
        p.stack_.pop_back();
        switch (f.el) {
            case El::Wpt:
                if (p.havePosition_) p.sink_.OnWaypoint(std::move(p.waypoint_));
                else ++p.result.skippedPoints;
                break;
            case El::Rtept:
                if (p.havePosition_) {
                    if (!p.routePointName_) p.routePoint_.name = kRoutePointDefaultName;
                    p.route_.points.push_back(std::move(p.routePoint_));
                } else {
                    ++p.result.skippedPoints;
                }
                break;
            case El::Rte:
                if (!p.routeColour_) {
                    p.route_.colour = kDefaultRouteColours[p.colourTurn_];
                    p.colourTurn_ = (p.colourTurn_ + 1) % kDefaultRouteColours.size();
                }
                p.sink_.OnRoute(std::move(p.route_));
                break;
            case El::Trkpt:
                if (p.havePosition_) {
                    p.point_.newSegment = p.segmentStart_;
                    p.segmentStart_ = false;
                    p.sink_.OnTrackPoint(p.point_);
                } else {
                    ++p.result.skippedPoints;
                }
                break;
            case El::MwField: {
                // The owner of the extensions element is one frame up.
                const El owner = p.stack_.size() >= 1 ? p.stack_.back().parent : El::Other;
                if (owner == El::Wpt) p.WaypointField();
                else if (owner == El::Rte && p.field_ == "colour" &&
                         ParseIntText(p.text_, p.route_.colour))
                    p.routeColour_ = true;
                break;
            }
            default:
                if (f.el >= El::Name) p.Leaf(f.el, f.parent);
                break;
        }
    }

    GpxSink& sink_;
    XML_Parser parser_;
    std::vector<Frame> stack_;
    std::string text_;
    std::string field_;
    Waypoint waypoint_;
    Route route_;
    bool routeColour_ = false;
    std::size_t colourTurn_ = 0;
    RoutePoint routePoint_;
    bool routePointName_ = false;
    GpxTrackPoint point_;
    bool segmentStart_ = false;
    bool havePosition_ = false;
};

GpxReadResult Finish(Parser& parser, bool parsed) {
    GpxReadResult r = std::move(parser.result);
    r.ok = parsed && r.error.empty();
    return r;
}

}  // namespace

bool ParseGpxDecimal(std::string_view text, double& value) {
    text = TrimView(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    // Only digits, one point and a leading minus: from_chars alone would also
    // take "inf", "nan" and exponents, which xsd:decimal does not allow.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || c == '.' || (c == '-' && i == 0))) return false;
    }
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

GpxReadResult ReadGpxFile(const std::string& path, GpxSink& sink) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path),
                                                         &std::fclose);
    if (!file) {
        GpxReadResult r;
        r.error = "file could not be opened";
        return r;
    }
    Parser parser(sink);
    for (;;) {
        void* buffer = parser.Buffer(static_cast<int>(kReadChunk));
        if (!buffer) {
            parser.result.error = "out of memory";
            return Finish(parser, false);
        }
        const std::size_t n = std::fread(buffer, 1, kReadChunk, file.get());
        if (std::ferror(file.get())) {
            parser.result.error = "file could not be read";
            return Finish(parser, false);
        }
        const bool last = n < kReadChunk;
        if (!parser.ParseBuffer(static_cast<int>(n), last)) return Finish(parser, false);
        if (last) return Finish(parser, true);
    }
}

GpxReadResult ReadGpxText(std::string_view text, GpxSink& sink) {
    Parser parser(sink);
    const bool parsed = parser.Parse(text);
    return Finish(parser, parsed);
}

}  // namespace mw
