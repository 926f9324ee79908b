#include "gpx_check.h"

#include <expat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "gpx/gpx_model.h"
#include "gpx/gpx_reader.h"

namespace mwtest {

namespace {

const std::string kNs = mw::kGpx11Namespace;

// The children each element may have, in the order the format requires.
const std::map<std::string, std::vector<std::string>> kOrder = {
    {"gpx", {"metadata", "wpt", "rte", "trk", "extensions"}},
    {"metadata", {"name", "desc", "author", "copyright", "link", "time", "keywords", "bounds",
                  "extensions"}},
    {"wpt", {"ele", "time", "magvar", "geoidheight", "name", "cmt", "desc", "src", "link", "sym",
             "type", "fix", "sat", "hdop", "vdop", "pdop", "ageofdgpsdata", "dgpsid",
             "extensions"}},
    {"rte", {"name", "cmt", "desc", "src", "link", "number", "type", "extensions", "rtept"}},
    {"trk", {"name", "cmt", "desc", "src", "link", "number", "type", "extensions", "trkseg"}},
    {"trkseg", {"trkpt", "extensions"}},
};
// Elements that may appear more than once in a row.
const std::set<std::string> kRepeats = {"wpt", "rte", "trk", "rtept", "trkseg", "trkpt", "link"};

struct Open {
    std::string name;  // local name in the GPX namespace; "" for others
    int lastIndex = -1;
    std::string text;
};

struct State {
    XML_Parser parser;
    std::vector<Open> stack;
    std::vector<std::string> faults;

    void Fault(const std::string& what) {
        faults.push_back(what + " (line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ")");
    }
};

void XMLCALL Start(void* data, const XML_Char* full, const XML_Char** attrs) {
    auto& s = *static_cast<State*>(data);
    std::string name(full);
    const auto sep = name.find(' ');
    std::string ns = sep == std::string::npos ? "" : name.substr(0, sep);
    std::string local = sep == std::string::npos ? name : name.substr(sep + 1);
    const bool inExtensions =
        !s.stack.empty() && (s.stack.back().name == "extensions" || s.stack.back().name.empty());
    if (inExtensions) {
        if (ns == kNs) s.Fault("GPX element <" + local + "> inside extensions");
        s.stack.push_back({"", -1, ""});
        return;
    }
    if (ns != kNs) s.Fault("element <" + name + "> outside the GPX namespace");
    if (s.stack.empty()) {
        if (local != "gpx") s.Fault("root is not gpx");
        bool version = false, creator = false;
        for (int i = 0; attrs[i]; i += 2) {
            if (std::string(attrs[i]) == "version") version = std::string(attrs[i + 1]) == "1.1";
            if (std::string(attrs[i]) == "creator") creator = attrs[i + 1][0] != 0;
        }
        if (!version) s.Fault("gpx without version=\"1.1\"");
        if (!creator) s.Fault("gpx without creator");
    } else {
        Open& parent = s.stack.back();
        auto it = kOrder.find(parent.name);
        if (it != kOrder.end()) {
            const auto& order = it->second;
            int index = -1;
            for (std::size_t i = 0; i < order.size(); ++i)
                if (order[i] == local) index = static_cast<int>(i);
            if (index < 0) s.Fault("<" + local + "> not allowed in <" + parent.name + ">");
            else if (index < parent.lastIndex ||
                     (index == parent.lastIndex && !kRepeats.count(local)))
                s.Fault("<" + local + "> out of order in <" + parent.name + ">");
            parent.lastIndex = std::max(parent.lastIndex, index);
        }
    }
    if (local == "wpt" || local == "rtept" || local == "trkpt") {
        bool lat = false, lon = false;
        for (int i = 0; attrs[i]; i += 2) {
            const std::string a = attrs[i];
            double v = 0;
            const bool number = mw::ParseGpxDecimal(attrs[i + 1], v);
            if (a == "lat") lat = number && v >= -90 && v <= 90;
            if (a == "lon") lon = number && v >= -180 && v < 180;
        }
        if (!lat || !lon) s.Fault("<" + local + "> without a valid lat and lon");
    }
    s.stack.push_back({local, -1, ""});
}

void XMLCALL Chars(void* data, const XML_Char* t, int len) {
    auto& s = *static_cast<State*>(data);
    if (!s.stack.empty()) s.stack.back().text.append(t, static_cast<std::size_t>(len));
}

void XMLCALL End(void* data, const XML_Char*) {
    auto& s = *static_cast<State*>(data);
    const Open o = s.stack.back();
    s.stack.pop_back();
    double v;
    if (o.name == "ele" && !mw::ParseGpxDecimal(o.text, v)) s.Fault("ele not a decimal");
    if (o.name == "time" && !mw::ParseIsoTime(o.text)) s.Fault("time not ISO 8601");
    if (o.name == "time" && o.text.back() != 'Z') s.Fault("time not in UTC");
    if (o.name == "sym" && o.text.empty()) s.Fault("empty sym");
}

}  // namespace

std::vector<std::string> CheckGpx11(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    State s;
    s.parser = XML_ParserCreateNS(nullptr, ' ');
    XML_SetUserData(s.parser, &s);
    XML_SetElementHandler(s.parser, Start, End);
    XML_SetCharacterDataHandler(s.parser, Chars);
    if (XML_Parse(s.parser, text.data(), static_cast<int>(text.size()), XML_TRUE) != XML_STATUS_OK)
        s.Fault(std::string("not well-formed: ") + XML_ErrorString(XML_GetErrorCode(s.parser)));
    XML_ParserFree(s.parser);
    if (text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0) != 0)
        s.faults.push_back("no UTF-8 XML declaration");
    return s.faults;
}

}  // namespace mwtest
