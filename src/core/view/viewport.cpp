#include "view/viewport.h"

#include <algorithm>
#include <cmath>

#include "geo/datum_convert.h"
#include "geo/distance.h"
#include "map/calibration.h"
#include "ports/ui.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr std::size_t kMaxZoomEntries = 15;
constexpr const char* kImageNotFound = "Image File not Found";

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

void UpdateCentreLatLon(MapRecord& map, const DatumTable& datums) {
    GeoPoint p = MapPixelToLatLon(map, datums, map.viewCentreX, map.viewCentreY);
    map.viewCentreLat = p.lat;
    map.viewCentreLon = p.lon;
}


}  // namespace

double Viewport::Divisor() const {
    if (zoomIndex < 0 || zoomIndex >= static_cast<int>(zoomTable.size())) return 1.0;
    return zoomTable[zoomIndex].divisor;
}

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
    const std::string m = FolderOf(mapFilePath);
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

void SetViewSize(Viewport& vp, int clientWidth, int clientHeight, int halfViewWidth,
                 int halfViewHeight) {
    vp.clientWidth = clientWidth;
    vp.clientHeight = clientHeight;
    vp.halfViewWidth = halfViewWidth;
    vp.halfViewHeight = halfViewHeight;
    vp.view.clientWidth = clientWidth;
    vp.view.clientHeight = clientHeight;
}

void CloseMapImage(Viewport& vp) {
    if (vp.file) CloseImageFile(*vp.file);
    vp.file.reset();
    vp.view = ViewImage{ViewFormat::Display32};
    vp.view.clientWidth = vp.clientWidth;
    vp.view.clientHeight = vp.clientHeight;
    vp.imagePath.clear();
}

bool OpenMapImage(Viewport& vp, MapRecord& map, const DatumTable& datums, const std::string& path,
                  Ui& ui, ImageFault* fault) {
    const double previous = vp.Divisor();
    {
        std::optional<ImageFile> probe = OpenImageFile(path, fault);
        if (!probe) return false;
        vp.zoomTable = BuildZoomTable(*probe);
        CloseImageFile(*probe);
    }
    vp.zoomIndex100 = 0;
    for (std::size_t i = 0; i < vp.zoomTable.size(); ++i)
        if (vp.zoomTable[i].divisor == 1.0) vp.zoomIndex100 = static_cast<int>(i);
    vp.zoomIndex = FindZoomIndex(vp, previous);

    std::optional<OpenedView> opened =
        OpenViewImage(path, vp.Divisor(), vp.halfViewWidth, vp.halfViewHeight, vp.clientWidth,
                      vp.clientHeight, ui, ViewFormat::Display32);
    if (!opened) return false;
    if (vp.file) CloseImageFile(*vp.file);
    vp.file = std::move(opened->file);
    vp.view = std::move(opened->view);
    vp.imagePath = path;
    map.imageWidth = opened->imageWidth;
    map.imageHeight = opened->imageHeight;
    map.viewCentreX = map.imageWidth / 2;
    map.viewCentreY = map.imageHeight / 2;
    ComputeViewCorner(vp, map);
    UpdateCentreLatLon(map, datums);
    return true;
}

bool LoadMapImage(Viewport& vp, MapRecord& map, const DatumTable& datums,
                  const std::string& filePath1, const std::string& filePath2,
                  const std::string& userHome, Ui& ui) {
    ui.SetWaitCursor(true);
    CloseMapImage(vp);
    bool shown = false;
    for (const std::string& candidate :
         MapImageCandidates(map.imageBaseName, map.mapFilePath, filePath1, filePath2, userHome)) {
        if (!FileExists(candidate)) continue;
        if (OpenMapImage(vp, map, datums, candidate, ui)) {
            shown = true;
            break;
        }
    }
    ui.SetWaitCursor(false);
    if (!shown) ShowMessage(ui, kImageNotFound);
    ui.Repaint(WindowId::Map);
    return shown;
}

void ComputeViewCorner(Viewport& vp, const MapRecord& map) {
    double z = vp.Divisor();
    if (z < 1) z = 1;
    vp.viewLeft = TruncToInt(map.viewCentreX / z - vp.halfViewWidth + 0.5);
    vp.viewTop = TruncToInt(map.viewCentreY / z - vp.halfViewHeight + 0.5);
}

bool RenderMapView(Viewport& vp, Ui& ui) {
    if (!vp.file) return false;
    // A window squeezed to nothing (a resize on the way) shows nothing; the
    // image stays open for when it has a size again.
    if (vp.clientWidth <= 0 || vp.clientHeight <= 0) return true;
    ui.SetWaitCursor(true);
    vp.busy = true;
    bool ok = RenderView(*vp.file, vp.view, vp.Divisor(), vp.viewTop, 0, vp.viewLeft, 0, ui);
    vp.busy = false;
    ui.SetWaitCursor(false);
    ui.Repaint(WindowId::Map);
    return ok;
}

void SetZoom(Viewport& vp, const MapRecord& map, int index, Ui& ui) {
    if (!vp.HasImage() || vp.zoomTable.empty()) return;
    vp.zoomIndex = std::clamp(index, 0, static_cast<int>(vp.zoomTable.size()) - 1);
    ComputeViewCorner(vp, map);
    RenderMapView(vp, ui);
}

void ZoomIn(Viewport& vp, const MapRecord& map, Ui& ui) {
    if (!vp.HasImage()) return;
    int last = static_cast<int>(vp.zoomTable.size()) - 1;
    SetZoom(vp, map, vp.zoomIndex < last ? vp.zoomIndex + 1 : vp.zoomIndex, ui);
}

void ZoomOut(Viewport& vp, const MapRecord& map, Ui& ui) {
    if (!vp.HasImage()) return;
    SetZoom(vp, map, vp.zoomIndex > 0 ? vp.zoomIndex - 1 : 0, ui);
}

void FullMap(Viewport& vp, MapRecord& map, const DatumTable& datums, Ui& ui) {
    if (!vp.HasImage() || vp.clientWidth <= 0 || vp.clientHeight <= 0) return;
    // The closest zoom at which the whole image fits both ways, never
    // magnified; the most distant entry when none fits.
    int index = 0;
    for (int i = 0; i <= vp.zoomIndex100 && i < static_cast<int>(vp.zoomTable.size()); ++i) {
        const double d = vp.zoomTable[i].divisor;
        if (map.imageWidth / d <= vp.clientWidth && map.imageHeight / d <= vp.clientHeight)
            index = i;
    }
    map.viewCentreX = map.imageWidth / 2;
    map.viewCentreY = map.imageHeight / 2;
    UpdateCentreLatLon(map, datums);
    SetZoom(vp, map, index, ui);
}

void GotoMapPosition(Viewport& vp, MapRecord& map, const DatumTable& datums, int corner, Ui& ui) {
    if (!vp.HasImage()) return;
    const int w = map.imageWidth, h = map.imageHeight;
    switch (corner) {
        case 0:
            map.viewCentreX = 0, map.viewCentreY = 0;
            break;
        case 1:
            map.viewCentreX = w, map.viewCentreY = 0;
            break;
        case 2:
            map.viewCentreX = 0, map.viewCentreY = h;
            break;
        case 3:
            map.viewCentreX = w, map.viewCentreY = h;
            break;
        default:
            map.viewCentreX = w / 2, map.viewCentreY = h / 2;
            break;
    }
    // The position read-outs and "Find Maps at Cursor" use the centre in
    // degrees, so it follows the pixel centre.
    UpdateCentreLatLon(map, datums);
    ComputeViewCorner(vp, map);
    RenderMapView(vp, ui);
    ui.Repaint(WindowId::Overview);
}

void CentreOnScreenPoint(Viewport& vp, MapRecord& map, const DatumTable& datums, int x, int y,
                         const OffMapHandler& offMap, Ui& ui) {
    if (!vp.HasImage()) return;
    const double z = vp.Divisor();
    map.viewCentreX = TruncToInt((x - vp.halfViewWidth) * z + map.viewCentreX);
    map.viewCentreY = TruncToInt((y - vp.halfViewHeight) * z + map.viewCentreY);
    UpdateCentreLatLon(map, datums);
    if (offMap && !InsideMapBorder(map, map.viewCentreLat, map.viewCentreLon)) {
        ui.SetWaitCursor(true);
        const int oldDatum = map.datumIndex;
        double lat = map.viewCentreLat, lon = map.viewCentreLon;
        if (offMap(lat, lon, oldDatum)) {
            ConvertDatum(datums, oldDatum, map.datumIndex, lat, lon);
            map.viewCentreLat = lat;
            map.viewCentreLon = lon;
            MapPixel p = LatLonToMapPixel(map, datums, lat, lon);
            map.viewCentreX = p.x;
            map.viewCentreY = p.y;
        }
        ui.SetWaitCursor(false);
    }
    ComputeViewCorner(vp, map);
    RenderMapView(vp, ui);
    ui.Repaint(WindowId::Overview);
}

void DragMapBy(Viewport& vp, MapRecord& map, const DatumTable& datums, int dx, int dy, Ui& ui) {
    if (!vp.HasImage()) return;
    const double z = vp.Divisor();
    map.viewCentreX -= TruncToInt(dx * z);
    map.viewCentreY -= TruncToInt(dy * z);
    ComputeViewCorner(vp, map);
    UpdateCentreLatLon(map, datums);
    RenderMapView(vp, ui);
    ui.Repaint(WindowId::Main);
    ui.Repaint(WindowId::Overview);
}

PaintRects MapPaintRects(const Viewport& vp) {
    const Rect window{0, 0, vp.clientWidth, vp.clientHeight};
    const double z = vp.Divisor();
    if (z >= 1) return {window, window};
    const int x = TruncToInt(vp.halfViewWidth - vp.halfViewWidth * z);
    const int y = TruncToInt(vp.halfViewHeight - vp.halfViewHeight * z);
    const int w = TruncToInt(vp.clientWidth * z);
    const int h = TruncToInt(vp.clientHeight * z);
    return {Rect{x, y, x + w, y + h}, window};
}

}  // namespace mw
