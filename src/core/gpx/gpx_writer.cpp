#include "gpx/gpx_writer.h"

#include <cerrno>
#include <charconv>
#include <cmath>

namespace mw {

namespace {

constexpr const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"Mapwanderer\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
    "xmlns:mw=\"urn:mapwanderer:gpx:1\">\n"
    "<metadata><name>Mapwanderer</name></metadata>\n";

// Appends one character (a code point below 0x800 is all Latin-1 needs).
void AppendCodePoint(std::string& out, unsigned c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Characters XML 1.0 cannot hold at all, even as references.
bool XmlForbidden(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

void AppendNumber(std::string& out, double v) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, ec == std::errc() ? end : buf);
}

void AppendInt(std::string& out, long long v) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, end);
}

// "%.7f" without printf: the writer's inner loop for big tracks.
void AppendFixed7(std::string& out, double v) {
    char buf[48];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 7);
    out.append(buf, ec == std::errc() ? end : buf);
}

void AppendElement(std::string& out, const char* tag, std::string_view text) {
    out += '<';
    out += tag;
    out += '>';
    out += GpxEscape(text);
    out += "</";
    out += tag;
    out += '>';
}

void AppendEle(std::string& out, double metres) {
    char buf[48];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, metres, std::chars_format::fixed, 3);
    out += "<ele>";
    out.append(buf, ec == std::errc() ? end : buf);
    out += "</ele>";
}

void AppendPosition(std::string& out, const char* tag, double lat, double lon) {
    // GPX longitudes lie in [-180, 180): 180 itself is written as -180.
    if (lon >= 180) lon -= 360;
    out += '<';
    out += tag;
    out += " lat=\"";
    AppendFixed7(out, lat);
    out += "\" lon=\"";
    AppendFixed7(out, lon);
    out += "\">";
}

void AppendMwInt(std::string& out, const char* name, long long v) {
    out += "<mw:";
    out += name;
    out += '>';
    AppendInt(out, v);
    out += "</mw:";
    out += name;
    out += '>';
}

void AppendMwText(std::string& out, const char* name, std::string_view text) {
    if (text.empty()) return;
    out += "<mw:";
    out += name;
    out += '>';
    out += GpxEscape(text);
    out += "</mw:";
    out += name;
    out += '>';
}

}  // namespace

std::string GpxEscape(std::string_view text) {
    const bool utf8 = IsValidUtf8(text);
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            // Kept as references so a reader sees them and not a blank.
            case '\r': out += "&#13;"; break;
            case '\n': out += "&#10;"; break;
            case '\t': out += "&#9;"; break;
            default:
                if (XmlForbidden(c)) break;
                if (c >= 0x80 && !utf8) AppendCodePoint(out, c);
                else out.push_back(ch);
        }
    }
    return out;
}

GpxWriter::GpxWriter(const std::string& path) : file_(path) {
    buffer_.reserve(1 << 16);
    buffer_ = kHeader;
}

bool GpxWriter::Enter(Stage stage) {
    if (stage < stage_) {
        failed_ = true;
        return false;
    }
    stage_ = stage;
    return true;
}

void GpxWriter::AddWaypoint(const Waypoint& w) {
    if (!Enter(Stage::Waypoints)) return;
    std::string& o = buffer_;
    AppendPosition(o, "wpt", w.lat, w.lon);
    if (w.altitude != kWaypointNoAltitude) AppendEle(o, w.altitude * kMetresPerFoot);
    if (!w.name.empty()) AppendElement(o, "name", w.name);
    if (!w.description.empty()) AppendElement(o, "desc", w.description);
    if (w.symbol != 0) {
        o += "<sym>";
        AppendInt(o, w.symbol);
        o += "</sym>";
    }
    o += "<extensions>";
    o += "<mw:date>";
    AppendNumber(o, w.date);
    o += "</mw:date>";
    AppendMwInt(o, "field7", w.field7);
    AppendMwInt(o, "field8", w.field8);
    AppendMwInt(o, "textColour", w.textColour);
    AppendMwInt(o, "backColour", w.backColour);
    AppendMwInt(o, "field12", w.field12);
    AppendMwInt(o, "field13", w.field13);
    AppendMwInt(o, "proximityDistance", w.proximityDistance);
    AppendMwInt(o, "field16", w.field16);
    AppendMwInt(o, "field17", w.field17);
    AppendMwInt(o, "field18", w.field18);
    AppendMwInt(o, "popupPosition", w.popupPosition);
    o += "<mw:popupSeconds>";
    AppendNumber(o, static_cast<double>(w.popupSeconds));
    o += "</mw:popupSeconds>";
    AppendMwInt(o, "field21", w.field21);
    AppendMwText(o, "attachment", w.attachment);
    AppendMwText(o, "proximityImage", w.proximityImage);
    AppendMwText(o, "proximitySound", w.proximitySound);
    o += "</extensions></wpt>\n";
    Flush(false);
}

void GpxWriter::AddRoute(const Route& route) {
    if (!Enter(Stage::Routes)) return;
    std::string& o = buffer_;
    o += "<rte>";
    if (!route.name.empty()) AppendElement(o, "name", route.name);
    if (!route.description.empty()) AppendElement(o, "desc", route.description);
    o += "<extensions>";
    AppendMwInt(o, "colour", route.colour);
    o += "</extensions>\n";
    for (const RoutePoint& p : route.points) {
        AppendPosition(o, "rtept", p.lat, p.lon);
        if (!p.name.empty()) AppendElement(o, "name", p.name);
        o += "</rtept>\n";
    }
    o += "</rte>\n";
    Flush(false);
}

// Written in blocks: one write per point would dominate a big track.
void GpxWriter::Flush(bool always) {
    if (!always && buffer_.size() < (1u << 15)) return;
    file_.WriteText(buffer_);
    buffer_.clear();
}

void GpxWriter::CloseTrack() {
    if (inSegment_) buffer_ += "</trkseg>\n";
    if (inTrack_) buffer_ += "</trk>\n";
    inSegment_ = inTrack_ = false;
}

void GpxWriter::BeginTrack(std::string_view name) {
    if (!Enter(Stage::Tracks)) return;
    CloseTrack();
    inTrack_ = true;
    buffer_ += "<trk>";
    if (!name.empty()) AppendElement(buffer_, "name", name);
    buffer_ += '\n';
}

void GpxWriter::AddTrackPoint(const GpxTrackPoint& p) {
    if (!inTrack_) {
        failed_ = true;
        return;
    }
    std::string& o = buffer_;
    if (p.newSegment || !inSegment_) {
        if (inSegment_) o += "</trkseg>\n";
        o += "<trkseg>\n";
        inSegment_ = true;
    }
    AppendPosition(o, "trkpt", p.lat, p.lon);
    if (p.eleMetres) AppendEle(o, *p.eleMetres);
    if (p.time) {
        o += "<time>";
        o += FormatIsoTime(*p.time);
        o += "</time>";
    }
    o += "</trkpt>\n";
    Flush(false);
}

WriteOutcome GpxWriter::Outcome() const {
    WriteOutcome outcome = file_.Outcome();
    if (outcome.Ok() && failed_) outcome.error = EINVAL;
    return outcome;
}

bool GpxWriter::Commit() {
    // Without the rename the temporary file goes and the target stays.
    if (!file_.IsOpen() || failed_) return false;
    CloseTrack();
    buffer_ += "</gpx>\n";
    Flush(true);
    return file_.Commit();
}

}  // namespace mw
