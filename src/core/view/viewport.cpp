#include "view/viewport.h"

#include <algorithm>
#include <cmath>

#include "geo/datum_convert.h"
#include "geo/distance.h"
#include "map/calibration.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr std::size_t kMaxZoomEntries = 15;

// Every zoom step the program knows: divisor, menu text, command.
const ZoomEntry kZoom2_5{40.0, "2.5 %", 40046};
const ZoomEntry kZoom5Strip{20.0, "5.0 %", 40047};
const ZoomEntry kZoom5Tiled{20.0, "5 %", 40047};
const ZoomEntry kZoom10{10.0, "10 %", 40048};
const ZoomEntry kZoom20{5.0, "20 %", 40049};
const ZoomEntry kZoom25{4.0, "25 %", 40076};
const ZoomEntry kZoom33{3.0, "33 %", 40050};
const ZoomEntry kZoom50{2.0, "50 %", 40051};
const ZoomEntry kZoom75{1.33333333, "75 %", 40075};
const ZoomEntry kZoom100{1.0, "100 %", 40035};
const ZoomEntry kMagnifications[] = {
    {0.8, "125 %", 40107}, {0.66666667, "150 %", 40053}, {0.5, "200 %", 40054},
    {0.4, "250 %", 40055}, {0.2, "500 %", 40056},        {0.1, "1000 %", 40057},
};

std::optional<ZoomEntry> EntryForLevelPercent(float percent) {
    if (percent == 2.5f) return kZoom2_5;
    if (percent == 5.0f) return kZoom5Tiled;
    if (percent == 10.0f) return kZoom10;
    if (percent == 20.0f) return kZoom20;
    if (percent == 25.0f) return kZoom25;
    if (std::isfinite(percent) && std::trunc(percent) == 33.0f) return kZoom33;
    if (percent == 50.0f) return kZoom50;
    if (percent == 75.0f) return kZoom75;
    if (percent == 100.0f) return kZoom100;
    return std::nullopt;
}

int TruncTimesTen(double v) { return TruncToInt(v * 10); }

// The folder a calibration file lies in, as a path the image names can be
// joined to: a bare name ("scan.map", given on a command line) lies in the
// working folder, and a file in the root folder has "/".
std::string CalibrationFolder(const std::string& mapFilePath) {
    std::string folder = FolderOf(mapFilePath);
    if (!folder.empty()) return folder;
    if (mapFilePath.empty()) return {};
    return IsPathSeparator(mapFilePath.front()) ? std::string("/") : std::string(".");
}

}  // namespace

std::vector<ZoomEntry> BuildZoomTable(const ImageFile& file) {
    std::vector<ZoomEntry> table;
    if (file.IsTiled()) {
        // The file lists its levels largest first; walking them backwards
        // puts the smallest zoom first in the menu.
        for (int i = static_cast<int>(file.levelPercent.size()) - 1; i >= 0; --i) {
            if (table.size() >= kMaxZoomEntries - std::size(kMagnifications)) break;
            if (auto e = EntryForLevelPercent(file.levelPercent[i])) table.push_back(*e);
        }
    } else {
        table = {kZoom2_5, kZoom5Strip, kZoom10, kZoom20, kZoom33, kZoom50, kZoom100};
    }
    for (const ZoomEntry& m : kMagnifications) table.push_back(m);
    return table;
}

std::optional<ZoomEntry> ZoomEntryForCommand(int command) {
    for (const ZoomEntry* e : {&kZoom2_5, &kZoom5Strip, &kZoom10, &kZoom20, &kZoom25, &kZoom33,
                               &kZoom50, &kZoom75, &kZoom100})
        if (e->command == command) return *e;
    for (const ZoomEntry& m : kMagnifications)
        if (m.command == command) return m;
    return std::nullopt;
}

std::vector<int> ZoomCommands() {
    std::vector<int> out;
    auto add = [&out](const ZoomEntry& e) {
        if (std::find(out.begin(), out.end(), e.command) == out.end()) out.push_back(e.command);
    };
    for (const ZoomEntry* e : {&kZoom2_5, &kZoom5Strip, &kZoom10, &kZoom20, &kZoom25, &kZoom33,
                               &kZoom50, &kZoom75, &kZoom100})
        add(*e);
    for (const ZoomEntry& m : kMagnifications) add(m);
    return out;
}

int FindZoomIndex(const Viewport& vp, double divisor) {
    for (std::size_t i = 0; i < vp.zoomTable.size(); ++i)
        if (TruncTimesTen(vp.zoomTable[i].divisor) == TruncTimesTen(divisor))
            return static_cast<int>(i);
    return vp.zoomIndex100;
}

std::vector<std::string> MapImageCandidates(const std::string& baseName,
                                            const std::string& mapFilePath,
                                            const std::string& filePath1,
                                            const std::string& filePath2,
                                            const std::string& userHome) {
    const std::string f1 = ToLocalPath(StripTrailingBackslash(filePath1), userHome);
    const std::string f2 = ToLocalPath(StripTrailingBackslash(filePath2), userHome);
    const std::string m = CalibrationFolder(mapFilePath);
    // The calibration file's own name up to and including its first dot.
    std::string own = FileNameOf(mapFilePath);
    if (auto dot = own.find('.'); dot != std::string::npos) own.resize(dot + 1);

    std::vector<std::string> out;
    auto add = [&](const std::string& folder, const std::string& name, const char* ext) {
        // An image folder that is not set is no candidate: it would name a
        // file in the root folder.
        if (folder.empty()) return;
        out.push_back(JoinPath(folder, name + ext));
    };
    for (const std::string* name : {&baseName, static_cast<const std::string*>(&own)}) {
        add(f1, *name, "mwf2");
        add(f2, *name, "mwf2");
        add(f1, *name, "mwf");
        add(f2, *name, "mwf");
        add(m, *name, "mwf2");
        add(m, *name, "mwf");
    }
    return out;
}

void CloseMapImage(Viewport& vp) {
    if (vp.file) CloseImageFile(*vp.file);
    vp.file.reset();
    const int width = vp.view.clientWidth, height = vp.view.clientHeight;
    vp.view = ViewImage{ViewFormat::Display32};
    vp.view.clientWidth = width;
    vp.view.clientHeight = height;
    vp.imagePath.clear();
    vp.damageTold = false;
}

ImageFault DamageToTell(Viewport& vp, ImageFault fault) {
    if (fault == ImageFault::None || vp.damageTold) return ImageFault::None;
    vp.damageTold = true;
    return fault;
}

MapImageOpen OpenMapImage(Viewport& vp, MapView& view, MapRecord& map, const DatumTable& datums,
                          const std::string& path) {
    MapImageOpen result;
    const double previous = view.zoom;
    {
        std::optional<ImageFile> probe = OpenImageFile(path, &result.unreadable, &result.reason);
        if (!probe) return result;
        vp.zoomTable = BuildZoomTable(*probe);
        CloseImageFile(*probe);
    }
    vp.zoomIndex100 = 0;
    for (std::size_t i = 0; i < vp.zoomTable.size(); ++i)
        if (vp.zoomTable[i].divisor == 1.0) vp.zoomIndex100 = static_cast<int>(i);
    ZoomTo(view, vp.zoomTable, FindZoomIndex(vp, previous));

    std::optional<OpenedView> opened = OpenViewImage(path, view.zoom, view.halfWidth,
                                                     view.halfHeight, view.width, view.height,
                                                     result.damaged, ViewFormat::Display32);
    if (!opened) return result;
    if (vp.file) CloseImageFile(*vp.file);
    vp.file = std::move(opened->file);
    vp.view = std::move(opened->view);
    vp.imagePath = path;
    // Damage in the first view goes to the caller with the result.
    vp.damageTold = result.damaged != ImageFault::None;
    map.imageWidth = opened->imageWidth;
    map.imageHeight = opened->imageHeight;
    CentreOnPixel(view, map, datums, map.imageWidth / 2, map.imageHeight / 2);
    result.opened = true;
    return result;
}

MapImageLoad LoadMapImage(Viewport& vp, MapView& view, MapRecord& map, const DatumTable& datums,
                          const std::string& filePath1, const std::string& filePath2,
                          const std::string& userHome) {
    CloseMapImage(vp);
    MapImageLoad result;
    for (const std::string& candidate :
         MapImageCandidates(map.imageBaseName, map.mapFilePath, filePath1, filePath2, userHome)) {
        if (!FileExists(candidate)) continue;
        const MapImageOpen open = OpenMapImage(vp, view, map, datums, candidate);
        if (open.damaged != ImageFault::None) result.damaged.push_back(open.damaged);
        if (open.opened) {
            result.shown = true;
            break;
        }
    }
    return result;
}

ViewChange RenderMapView(Viewport& vp, const MapView& view) {
    ViewChange change;
    if (!vp.file) return change;
    change.acted = true;
    change.ok = true;
    // A window squeezed to nothing (a resize on the way) shows nothing; the
    // image stays open for when it has a size again.
    if (view.width <= 0 || view.height <= 0) return change;
    vp.view.clientWidth = view.width;
    vp.view.clientHeight = view.height;
    vp.busy = true;
    change.drawn = true;
    change.ok = RenderView(*vp.file, vp.view, view.zoom, view.top, 0, view.left, 0, change.fault);
    if (change.ok && vp.afterRender) vp.afterRender(vp, view);
    change.fault = DamageToTell(vp, change.fault);
    vp.busy = false;
    return change;
}

ViewChange SetZoom(Viewport& vp, MapView& view, int index) {
    if (!vp.HasImage() || vp.zoomTable.empty()) return {};
    ZoomTo(view, vp.zoomTable, index);
    return RenderMapView(vp, view);
}

ViewChange ZoomIn(Viewport& vp, MapView& view) {
    if (!vp.HasImage()) return {};
    int last = static_cast<int>(vp.zoomTable.size()) - 1;
    return SetZoom(vp, view, view.zoomIndex < last ? view.zoomIndex + 1 : view.zoomIndex);
}

ViewChange ZoomOut(Viewport& vp, MapView& view) {
    if (!vp.HasImage()) return {};
    return SetZoom(vp, view, view.zoomIndex > 0 ? view.zoomIndex - 1 : 0);
}

ViewChange ShowFullMap(Viewport& vp, MapView& view, const MapRecord& map,
                       const DatumTable& datums) {
    if (!vp.HasImage() || view.width <= 0 || view.height <= 0) return {};
    FullMap(view, vp.zoomTable, vp.zoomIndex100, map, datums);
    return SetZoom(vp, view, view.zoomIndex);
}

ViewChange GotoMapPosition(Viewport& vp, MapView& view, const MapRecord& map,
                           const DatumTable& datums, int corner) {
    if (!vp.HasImage()) return {};
    const int w = map.imageWidth, h = map.imageHeight;
    const MapPixel corners[] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
    const MapPixel to = corner >= 0 && corner < 4 ? corners[corner] : MapPixel{w / 2, h / 2};
    // The position read-outs and "Find Maps at Cursor" use the centre in
    // degrees, so it follows the pixel centre.
    CentreOnPixel(view, map, datums, to.x, to.y);
    return RenderMapView(vp, view);
}

ViewChange CentreOnScreenPoint(Viewport& vp, MapView& view, const MapRecord& map,
                               const DatumTable& datums, int x, int y,
                               const OffMapHandler& offMap) {
    if (!vp.HasImage()) return {};
    const MapPixel to = WindowToImagePixel(view, x, y);
    CentreOnPixel(view, map, datums, to.x, to.y);
    if (offMap && !InsideMapBorder(map, view.centre->lat, view.centre->lon)) {
        const int oldDatum = map.datumIndex;
        GeoPoint at = *view.centre;
        // A load replaces `view` and `map` with the new map's.
        if (offMap(at.lat, at.lon, oldDatum)) {
            ConvertDatum(datums, oldDatum, map.datumIndex, at.lat, at.lon);
            CentreOn(view, map, datums, at);
        }
    }
    ViewChange change = RenderMapView(vp, view);
    // The handler may have loaded a map: the view acted all the same.
    change.acted = true;
    return change;
}

ViewChange DragMapBy(Viewport& vp, MapView& view, const MapRecord& map, const DatumTable& datums,
                     int dx, int dy) {
    if (!vp.HasImage()) return {};
    Pan(view, map, datums, dx, dy);
    return RenderMapView(vp, view);
}

PaintRects MapPaintRects(const MapView& view) {
    const Rect window{0, 0, view.width, view.height};
    const double z = view.zoom;
    if (z >= 1) return {window, window};
    const int x = TruncToInt(view.halfWidth - view.halfWidth * z);
    const int y = TruncToInt(view.halfHeight - view.halfHeight * z);
    const int w = TruncToInt(view.width * z);
    const int h = TruncToInt(view.height * z);
    return {Rect{x, y, x + w, y + h}, window};
}

}  // namespace mw
