#include "nav/route_store.h"

#include "support/text.h"

namespace mw {

namespace {

// Cuts to `width` bytes (one byte a character in the file). A UTF-8 text is
// cut before a whole character, so it still shows as UTF-8.
void CutTo(std::string& text, std::size_t width) {
    if (text.size() <= width) return;
    std::size_t n = width;
    if (IsValidUtf8(text))
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    text.resize(n);
}

}  // namespace

void RouteStore::ForEachPosition(const std::function<void(double& lat, double& lon)>& visit) {
    for (Route& route : routes_)
        for (RoutePoint& point : route.points) visit(point.lat, point.lon);
}

void RouteStore::Assign(std::vector<Route> routes) {
    if (routes.size() > static_cast<std::size_t>(kMaxRoutes)) routes.resize(kMaxRoutes);
    for (Route& route : routes) {
        CutTo(route.name, kRouteNameMax);
        CutTo(route.description, kRouteDescriptionMax);
        if (route.points.size() > static_cast<std::size_t>(kMaxRoutePoints))
            route.points.resize(kMaxRoutePoints);
        for (RoutePoint& point : route.points) CutTo(point.name, kRoutePointNameMax);
    }
    routes_ = std::move(routes);
}

void ClearRoutes(RouteStore& store) {
    store.Assign({});
    store.loadedFrom.clear();
}

}  // namespace mw
