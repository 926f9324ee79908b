#include "nav/route_file.h"

#include <cmath>

#include "geo/datum_convert.h"
#include "ports/ui.h"
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

std::vector<Route> ReadRoutes(TextFileReader& file, const DatumTable& datums, int mapDatum,
                              bool* afterHeader) {
    if (afterHeader) *afterHeader = false;
    std::vector<Route> routes;
    int fileDatum = kDatumWgs84;
    int lineNumber = 0;
    std::size_t colourTurn = 0;
    // Lines after the 100th route line have no route to go to.
    bool routeOpen = false;
    ForEachLine(file, [&](const std::string& line) {
        ++lineNumber;
        if (lineNumber == kDatumLine) fileDatum = FindDatumByName(datums, Trim(line));
        if (lineNumber <= kHeaderLines) return true;
        if (afterHeader && !IsBlank(line)) *afterHeader = true;

        const std::string kind = GetField(line, 1, "");
        if (kind == "R") {
            routeOpen = routes.size() < static_cast<std::size_t>(kMaxRoutes);
            if (!routeOpen) return true;
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
            if (!routeOpen) return true;
            Route& route = routes.back();
            if (route.points.size() >= static_cast<std::size_t>(kMaxRoutePoints)) return true;
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
    return routes;
}

ReadOutcome LoadRouteFile(RouteStore& store, const std::string& path, const DatumTable& datums,
                          int mapDatum, Ui* ui) {
    // A folder is refused by the reader (EISDIR): it holds no lines.
    TextFileReader file(path);
    if (!file.IsOpen()) return OutcomeOf(file);
    WaitCursor cursor(ui);
    bool afterHeader = false;
    std::vector<Route> routes = ReadRoutes(file, datums, mapDatum, &afterHeader);
    // A file of something else (lines after the header, no route line in
    // them) leaves the user's routes alone; the header alone still empties.
    if (routes.empty() && afterHeader) return {0, "not a route file"};
    store.Assign(std::move(routes));
    return {};
}

}  // namespace mw
