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
#include "waypoint/waypoint_file.h"

namespace mw {

namespace {

// Deeper than any GPX document goes; a file nesting further is an attack or
// garbage, and the parser's stack would grow with it.
constexpr std::size_t kMaxDepth = 256;
// Longest text kept of one leaf element; the rest is dropped.
constexpr std::size_t kMaxLeafText = 4096;
// Bytes handed to the parser at a time: large enough that the calls cost
// nothing, small enough to stay in the cache.
constexpr std::size_t kReadChunk = 1 << 18;

enum class El {
    Gpx, Wpt, Rte, Rtept, Trk, Trkseg, Trkpt, Extensions, Other,
    // Leaves whose text is kept.
    Name, Desc, Ele, Time, Sym, MwField,
};

enum class Ns { Gpx, Mw, Other };

// A namespace declaration in scope: `prefix` (empty for the default
// namespace) bound on the element at `depth`.
struct Binding {
    std::string prefix;
    Ns ns;
    int version;  // 10, 11, or 0 for no namespace
    std::size_t depth;
};

// What a namespace URI is to us. The empty URI ("xmlns=''") means no
// namespace, which is taken as GPX.
Ns NamespaceOf(std::string_view uri, int& version) {
    version = 0;
    if (uri.empty()) return Ns::Gpx;
    if (uri == kGpx11Namespace) {
        version = 11;
        return Ns::Gpx;
    }
    if (uri == kGpx10Namespace) {
        version = 10;
        return Ns::Gpx;
    }
    return uri == kMwGpxNamespace ? Ns::Mw : Ns::Other;
}

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

bool ParseDecimalAttribute(const char* text, double& value);

// Whether the attribute or element name `name` is `literal`, a short name:
// compared byte by byte, with no call.
template <std::size_t N>
bool NameIs(const char* name, const char (&literal)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (name[i] != literal[i]) return false;
    return true;
}

class Parser {
public:
    explicit Parser(GpxSink& sink) : sink_(sink) {
        // Namespaces are resolved here, not by expat: its namespace mode
        // joins URI and name into a new string for every element, which
        // cost more than the rest of the reading. Only the elements we look
        // at are resolved, against the declarations in scope.
        parser_ = XML_ParserCreate(nullptr);
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &Parser::Start, &Parser::End);
        // The text handler is set only inside the elements whose text is
        // kept (see SetTextWanted): the blanks between the elements of a
        // track then cost no call.
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

    // Records the namespace declarations among `attrs` as bound at the
    // current depth.
    void Declare(const XML_Char** attrs) {
        for (int i = 0; attrs[i]; i += 2) {
            const char* a = attrs[i];
            if (a[0] != 'x' || std::strncmp(a, "xmlns", 5) != 0 || (a[5] != '\0' && a[5] != ':'))
                continue;
            Binding b{a[5] ? std::string(a + 6) : std::string(), Ns::Other, 0, stack_.size()};
            b.ns = NamespaceOf(attrs[i + 1], b.version);
            if (b.prefix.empty()) {
                defaultNs_ = b.ns;
                defaultVersion_ = b.version;
            }
            bindings_.push_back(std::move(b));
        }
    }

    // Drops the declarations of the element at `depth`, which has ended.
    void Undeclare(std::size_t depth) {
        bool dropped = false;
        while (!bindings_.empty() && bindings_.back().depth >= depth) {
            dropped = dropped || bindings_.back().prefix.empty();
            bindings_.pop_back();
        }
        if (!dropped) return;
        defaultNs_ = Ns::Gpx;
        defaultVersion_ = 0;
        for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it)
            if (it->prefix.empty()) {
                defaultNs_ = it->ns;
                defaultVersion_ = it->version;
                break;
            }
    }

    // The namespace and local name of an element name as written; false for
    // a prefix nothing declares.
    bool Resolve(const XML_Char* qualified, Ns& ns, int& version, std::string_view& local) const {
        std::size_t length = 0, colon = std::string_view::npos;
        for (; qualified[length]; ++length)
            if (qualified[length] == ':' && colon == std::string_view::npos) colon = length;
        const std::string_view name(qualified, length);
        if (colon == std::string_view::npos) {
            local = name;
            ns = defaultNs_;
            version = defaultVersion_;
            return true;
        }
        local = name.substr(colon + 1);
        const std::string_view prefix = name.substr(0, colon);
        for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it)
            if (!it->prefix.empty() && it->prefix == prefix) {
                ns = it->ns;
                version = it->version;
                return true;
            }
        return false;
    }

    // lat and lon of a point element; false when either is missing or bad.
    static bool Position(const XML_Char** attrs, double& lat, double& lon) {
        bool haveLat = false, haveLon = false;
        for (int i = 0; attrs[i]; i += 2) {
            // Attributes without a prefix carry no namespace.
            if (NameIs(attrs[i], "lat"))
                haveLat = ParseDecimalAttribute(attrs[i + 1], lat) && lat >= -90 && lat <= 90;
            else if (NameIs(attrs[i], "lon"))
                haveLon = ParseDecimalAttribute(attrs[i + 1], lon) && lon >= -180 && lon <= 180;
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
                    // A waypoint without our date field gets the date a
                    // waypoint file line without one gets, not day 0.
                    waypoint_.date = kWaypointDefaultDate;
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
        if (p.stack_.size() >= kMaxDepth) {
            p.Stop("elements nested too deep");
            return;
        }
        const El parent = p.stack_.empty() ? El::Gpx : p.stack_.back().el;
        // Nothing inside an element we pass over is looked at, so neither
        // its names nor its declarations matter.
        if (parent == El::Other) {
            p.stack_.push_back({El::Other, parent});
            p.SetTextWanted(false);
            return;
        }
        p.Declare(attrs);
        Ns ns;
        int version;
        std::string_view local;
        if (!p.Resolve(name, ns, version, local)) {
            p.Stop("unbound prefix in <" + std::string(name) + ">");
            return;
        }
        if (p.stack_.empty()) {
            if (ns != Ns::Gpx || local != "gpx") {
                p.Stop("not a GPX file: the document is <" + std::string(local) + ">");
                return;
            }
            p.result.version = version;
            p.stack_.push_back({El::Gpx, El::Gpx});
            return;
        }
        const El el = p.Classify(parent, ns, local, attrs);
        p.stack_.push_back({el, parent});
        if (el >= El::Name) p.text_.clear();
        p.SetTextWanted(el >= El::Name);
    }

    static void XMLCALL Chars(void* data, const XML_Char* s, int len) {
        auto& p = *static_cast<Parser*>(data);
        const std::size_t room = kMaxLeafText - std::min(kMaxLeafText, p.text_.size());
        p.text_.append(s, std::min(room, static_cast<std::size_t>(len)));
    }

    void SetTextWanted(bool wanted) {
        if (wanted == textWanted_) return;
        textWanted_ = wanted;
        XML_SetCharacterDataHandler(parser_, wanted ? &Parser::Chars : nullptr);
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
                    if (ParseDecimalAttribute(text_.c_str(), m))
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
                    if (ParseDecimalAttribute(text_.c_str(), m)) point_.eleMetres = m;
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
        if (f.el == El::Other && f.parent == El::Other) return;
        p.Undeclare(p.stack_.size());
        // Text after a child element, in a leaf that has one, is kept too.
        p.SetTextWanted(!p.stack_.empty() && p.stack_.back().el >= El::Name);
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
    std::vector<Binding> bindings_;
    Ns defaultNs_ = Ns::Gpx;  // no declaration: no namespace, taken as GPX
    int defaultVersion_ = 0;
    bool textWanted_ = false;
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

namespace {

// Exact powers of ten a double holds.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The common case of a coordinate or elevation, "-?digits[.digits]" with at
// most 15 digits in all and nothing around it, read without from_chars: an
// integer of up to 15 digits and a power of ten up to 1e15 are both exact
// doubles, so one division rounds exactly as from_chars does. `text` ends
// with a NUL. False (nothing decided) for anything else.
bool ParseShortDecimal(const char* text, double& value) {
    const char* p = text;
    const bool negative = *p == '-';
    p += negative;
    const char* const first = p;
    std::uint64_t digits = 0;
    unsigned d;
    while ((d = static_cast<unsigned char>(*p) - '0') < 10) {
        digits = digits * 10 + d;
        ++p;
    }
    const std::ptrdiff_t whole = p - first;
    std::ptrdiff_t fraction = 0;
    if (*p == '.') {
        const char* const point = ++p;
        while ((d = static_cast<unsigned char>(*p) - '0') < 10) {
            digits = digits * 10 + d;
            ++p;
        }
        fraction = p - point;
    }
    // Also false for "", "-", "." and over 15 digits (the sum may have
    // wrapped then, but it is not used).
    const std::ptrdiff_t count = whole + fraction;
    if (*p != '\0' || count == 0 || count > 15) return false;
    const double v = static_cast<double>(digits) / kPowersOfTen[fraction];
    value = negative ? -v : v;
    return true;
}

bool ParseDecimalAttribute(const char* text, double& value) {
    return ParseShortDecimal(text, value) || ParseGpxDecimal(text, value);
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
    // A device or a FIFO is refused unread: it may never end.
    bool notRegular = false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenDataFile(path, &notRegular),
                                                         &std::fclose);
    if (!file) {
        GpxReadResult r;
        r.error = notRegular ? path + ": " + kNotRegularFileText : "file could not be opened";
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
