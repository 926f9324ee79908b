#include "nav/route_file.h"

#include <cmath>

#include "geo/datum_convert.h"
#include "support/line_budget.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr int kHeaderLines = 4;
constexpr int kDatumLine = 2;

// A coordinate field: a number that does not read, or reads as infinity or
// NaN, is 0.
double Coordinate(const std::string& text) {
    const double v = ParseReal(text);
    return std::isfinite(v) ? v : 0.0;
}


}  // namespace

RouteFileRead ReadRoutes(TextFileReader& file, const DatumTable& datums, int mapDatum,
                         std::size_t maxBytes) {
    RouteFileRead result;
    std::vector<Route>& routes = result.routes;
    int fileDatum = kDatumWgs84;
    int lineNumber = 0;
    bool headerIsText = true;
    std::size_t colourTurn = 0;
    // Lines after the 100th route line have no route to go to.
    bool routeOpen = false;
    // A route line past the limit opens a route that is only counted.
    bool countingRoute = false;
    const bool cut = ForEachLineWithin(file, maxBytes, [&](const std::string& line) {
        ++lineNumber;
        if (lineNumber <= kHeaderLines) {
            headerIsText = headerIsText && IsTextLine(line);
            if (lineNumber == kDatumLine) fileDatum = FindDatumByName(datums, Trim(line));
            return true;
        }
        if (!IsBlank(line)) result.afterHeader = true;

        const std::string kind = GetField(line, 1, "");
        if (kind == "R") {
            routeOpen = routes.size() < static_cast<std::size_t>(kMaxRoutes);
            countingRoute = !routeOpen;
            if (!routeOpen) {
                ++result.routesLeftOut;
                return true;
            }
            Route route;
            route.name = GetField(line, 3, "");
            route.description = GetField(line, 4, "");
            const std::string colour = GetField(line, 5, "");
            if (IsBlank(colour)) {
                route.colour = kDefaultRouteColours[colourTurn];
                colourTurn = (colourTurn + 1) % kDefaultRouteColours.size();
            } else {
                route.colour = ParseInt(colour);
            }
            routes.push_back(std::move(route));
        } else if (kind == "W") {
            if (countingRoute) {
                ++result.pointsLeftOut;
                return true;
            }
            if (!routeOpen) return true;
            Route& route = routes.back();
            if (route.points.size() >= static_cast<std::size_t>(kMaxRoutePoints)) {
                ++result.pointsLeftOut;
                return true;
            }
            RoutePoint point;
            point.name = GetField(line, 5, kRoutePointDefaultName);
            point.lat = Coordinate(GetField(line, 6, "0"));
            point.lon = Coordinate(GetField(line, 7, "0"));
            // 0, 0 marks a point without a position everywhere else (drawing,
            // the datum move of a map load); moved, it would become a real
            // place near the equator.
            if (point.lat != 0 || point.lon != 0)
                ConvertDatum(datums, fileDatum, mapDatum, point.lat, point.lon);
            route.points.push_back(std::move(point));
        }
        return true;
    });
    result.cut = cut;
    result.wholeHeader = lineNumber >= kHeaderLines && headerIsText;
    return result;
}

std::vector<std::string> RouteReadNotes(const RouteFileRead& read, const std::string& path,
                                        std::size_t maxBytes) {
    std::vector<std::string> notes;
    if (read.cut) notes.push_back(FileCutText("The route file " + path, maxBytes));
    if (read.routesLeftOut > 0) notes.push_back(RoutesLeftOutText(read.routesLeftOut));
    if (read.pointsLeftOut > 0) notes.push_back(RoutePointsLeftOutText(read.pointsLeftOut));
    return notes;
}

std::string RoutesLeftOutText(std::int64_t count) {
    return Format("%lld routes left out (at most %d are kept)", static_cast<long long>(count),
                  kMaxRoutes);
}

std::string RoutePointsLeftOutText(std::int64_t count) {
    return Format("%lld route points left out (at most %d a route are kept)",
                  static_cast<long long>(count), kMaxRoutePoints);
}

ReadOutcome LoadRouteFile(RouteStore& store, const std::string& path, const DatumTable& datums,
                          int mapDatum, std::size_t maxBytes) {
    // A folder, a device or a FIFO is refused by the reader: it holds no
    // route file, and a device never ends.
    TextFileReader file(path, OpenAs::DataFile);
    if (!file.IsOpen()) return OutcomeOf(file);
    RouteFileRead read = ReadRoutes(file, datums, mapDatum, maxBytes);
    ReadOutcome outcome;
    outcome.notes = RouteReadNotes(read, path, maxBytes);
    // A file of something else (lines after the header, no route line in
    // them), a file shorter than the header or a header of binary bytes
    // leaves the user's routes alone; the header alone still empties.
    if (read.routes.empty() && read.routesLeftOut == 0 && (read.afterHeader || !read.wholeHeader)) {
        outcome.content = kNotRouteFileText;
        return outcome;
    }
    store.Assign(std::move(read.routes));
    store.loadedFrom = path;
    return outcome;
}

}  // namespace mw
