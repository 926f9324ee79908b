// The loaded routes: read-only lines through named points that the map draws
// over the image. A route file replaces them all; nothing edits them.
//
// Limits: 100 routes a load, 100 points a route. Names keep at most the
// widths the route file's fields have always had (17 characters for a route
// name, 41 for a description, 15 for a point name); longer texts are cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "map/position_store.h"
#include "ports/canvas.h"

namespace mw {

inline constexpr int kMaxRoutes = 100;
inline constexpr int kMaxRoutePoints = 100;
inline constexpr std::size_t kRouteNameMax = 17;
inline constexpr std::size_t kRouteDescriptionMax = 41;
inline constexpr std::size_t kRoutePointNameMax = 15;

struct RoutePoint {
    std::string name;
    double lat = 0, lon = 0;  // degrees on the loaded map's datum; 0, 0: no position
};

struct Route {
    std::string name;
    std::string description;
    // A Windows colour value, 0x00BBGGRR, as the file gives it.
    std::int32_t colour = 0;
    std::vector<RoutePoint> points;  // at most kMaxRoutePoints
};

// The red, green and blue bytes of a 0x00BBGGRR value; the top byte is
// ignored.
constexpr Rgb RgbFromColourValue(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return Rgb{static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
               static_cast<std::uint8_t>((v >> 16) & 0xFF)};
}

class RouteStore final : public PositionStore {
public:
    // The routes of the last load in file order, a route line without
    // points included; at most kMaxRoutes. (Inline: the drawing code reads
    // the store without linking the route library.)
    const std::vector<Route>& Routes() const { return routes_; }
    bool Empty() const { return routes_.empty(); }

    Kind StoreKind() const override { return Kind::Routes; }
    // Visits every point of every route.
    void ForEachPosition(const std::function<void(double& lat, double& lon)>& visit) override;

    // Replaces every route by `routes`, keeping the limits: routes beyond
    // kMaxRoutes and points beyond kMaxRoutePoints are dropped, names cut to
    // their widths.
    void Assign(std::vector<Route> routes);

private:
    std::vector<Route> routes_;
};

// Removes every route and point.
void ClearRoutes(RouteStore& store);

}  // namespace mw
