#include "map/catalogue.h"

#include <algorithm>

#include "geo/datum_convert.h"
#include "geo/geo_point.h"
#include "map/map_file.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

bool ByName(const FolderFile& a, const FolderFile& b) { return a.name < b.name; }

// The search position moved to each map datum once per folder rather than
// once per file: a folder's maps share one or two datums.
class DatumPositions {
public:
    DatumPositions(const MapSearch& search, const DatumTable& datums)
        : search_(search), datums_(datums) {}
    GeoPoint On(int datum) {
        for (const auto& [d, p] : cache_)
            if (d == datum) return p;
        GeoPoint p{search_.lat, search_.lon};
        ConvertDatum(datums_, search_.datum, datum, p.lat, p.lon);
        cache_.emplace_back(datum, p);
        return p;
    }

private:
    const MapSearch& search_;
    const DatumTable& datums_;
    std::vector<std::pair<int, GeoPoint>> cache_;
};

bool IsRacy(const FileStamp& stamp, std::int64_t now) {
    return std::max(stamp.modifiedNs, stamp.changedNs) > now - MapCatalogue::kRacyWindowNs;
}

}  // namespace

std::string NormaliseFolder(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder;
}

std::vector<std::string> SearchFolders(const std::vector<MapFolderSetting>& mapFolders,
                                       bool loadedFolderActive, const std::string& currentMapPath) {
    std::vector<std::string> out;
    auto add = [&](std::string folder) {
        folder = NormaliseFolder(std::move(folder));
        if (std::find(out.begin(), out.end(), folder) == out.end())
            out.push_back(std::move(folder));
    };
    if (loadedFolderActive && !currentMapPath.empty()) {
        std::string loaded = NormaliseFolder(FolderOf(currentMapPath));
        bool isSetting = std::any_of(mapFolders.begin(), mapFolders.end(), [&](const auto& s) {
            return NormaliseFolder(s.folder) == loaded;
        });
        if (!isSetting) add(loaded);
    }
    for (const MapFolderSetting& s : mapFolders)
        if (s.active) add(s.folder);
    return out;
}

std::vector<std::string> SearchFolders(const AppSettings& settings, const std::string& userHome,
                                       const std::string& currentMapPath) {
    std::vector<MapFolderSetting> folders;
    for (std::size_t i = 0; i < settings.mapPath.size(); ++i) {
        const std::string& text = settings.mapPath[i];
        folders.push_back(
            {ToLocalPath(text.empty() ? "\\" : text, userHome), settings.mapPathActive[i] == 1});
    }
    return SearchFolders(folders, settings.mapPathLoadedActive == 1, currentMapPath);
}

std::vector<CoveringMap> ScanFolderFiles(FileSystem& files, const std::string& folder,
                                         const MapSearch& search, const DatumTable& datums) {
    std::vector<CoveringMap> out;
    auto listing = files.ListFolder(folder, kMapFileSuffix);
    if (!listing) return out;
    std::sort(listing->begin(), listing->end(), ByName);
    for (const FolderFile& f : *listing) {
        std::string path = JoinPath(folder, f.name);
        double scale = 0;
        if (MapCoversPosition(files, path, search.lat, search.lon, search.datum, datums, &scale))
            out.push_back({std::move(path), scale});
    }
    return out;
}

void MapCatalogue::ReadEntry(FileSystem& files, const std::string& folder, Entry& entry,
                             const FileStamp& stamp, std::int64_t now, const DatumTable& datums) {
    ++filesRead_;
    entry.stamp = stamp;
    entry.racy = IsRacy(stamp, now);
    auto data = files.ReadFile(JoinPath(folder, entry.name), kMaxCalibrationFileBytes);
    // An unreadable file may become readable without a new stamp (its
    // permissions change only the change time on some file systems), so a
    // failure is never trusted: the file is tried again next time.
    entry.readable = data.has_value();
    entry.info = entry.readable ? ReadCoverageInfo(*data, datums) : CoverageInfo{};
}

const MapCatalogue::Folder* MapCatalogue::Refresh(FileSystem& files, const std::string& folder,
                                                  const DatumTable& datums) {
    auto stamp = files.StampFolder(folder);
    if (!stamp) {
        folders_.erase(folder);
        return nullptr;
    }
    const std::int64_t now = files.NowNs();
    Folder& f = folders_[folder];

    // Unchanged folder: the same files are there, so stamping them is enough.
    if (f.listed && !f.racy && f.stamp == *stamp) {
        auto stamps = files.StampFiles(folder, f.names);
        bool complete =
            stamps.size() == f.entries.size() &&
            std::all_of(stamps.begin(), stamps.end(), [](const auto& s) { return s.has_value(); });
        if (complete) {
            for (std::size_t i = 0; i < f.entries.size(); ++i) {
                Entry& e = f.entries[i];
                if (e.racy || !e.readable || e.stamp != *stamps[i])
                    ReadEntry(files, folder, e, *stamps[i], now, datums);
            }
            return &f;
        }
        // A file vanished without the folder's time moving: list it again.
    }

    auto listing = files.ListFolder(folder, kMapFileSuffix);
    if (!listing) {
        folders_.erase(folder);
        return nullptr;
    }
    std::sort(listing->begin(), listing->end(), ByName);
    std::vector<Entry> next;
    next.reserve(listing->size());
    auto old = f.entries.begin();
    for (FolderFile& file : *listing) {
        while (old != f.entries.end() && old->name < file.name) ++old;
        if (old != f.entries.end() && old->name == file.name && !old->racy && old->readable &&
            old->stamp == file.stamp) {
            next.push_back(std::move(*old));
            continue;
        }
        Entry e;
        e.name = std::move(file.name);
        ReadEntry(files, folder, e, file.stamp, now, datums);
        next.push_back(std::move(e));
    }
    f.entries = std::move(next);
    f.names.clear();
    for (const Entry& e : f.entries) f.names.push_back(e.name);
    f.stamp = *stamp;
    f.racy = IsRacy(*stamp, now);
    f.listed = true;
    return &f;
}

std::vector<CoveringMap> MapCatalogue::Covering(FileSystem& files, const std::string& folder,
                                                const MapSearch& search, const DatumTable& datums) {
    std::vector<CoveringMap> out;
    const Folder* f = Refresh(files, folder, datums);
    if (!f) return out;
    DatumPositions positions(search, datums);
    for (const Entry& e : f->entries) {
        if (!e.info.CanCover()) continue;
        GeoPoint p = positions.On(e.info.datum);
        if (CoverageContainsOnMapDatum(e.info, p.lat, p.lon))
            out.push_back({JoinPath(folder, e.name), e.info.scale});
    }
    return out;
}

bool ScanMapFolder(const std::vector<CoveringMap>& covering, const std::string& loadedPath,
                   std::string& bestPath, double& bestScale) {
    bool improved = false;
    for (const CoveringMap& m : covering) {
        if (m.path == loadedPath) continue;  // the loaded map is never a candidate
        if (m.scale < bestScale) {
            bestPath = m.path;
            bestScale = m.scale;
            improved = true;
        }
    }
    return improved;
}

std::optional<CoveringMap> ChooseMap(const std::vector<std::string>& folders,
                                     const CoverageFinder& find, const std::string& currentMapPath,
                                     double currentScale) {
    std::string bestPath;
    double bestScale = kNoCandidateScale;
    for (const std::string& folder : folders)
        ScanMapFolder(find(folder), currentMapPath, bestPath, bestScale);
    if (bestPath.empty()) return std::nullopt;
    // The loaded map is kept unless a candidate is more than 2 % more detailed.
    if (currentScale != kUnknownScale && currentScale <= bestScale * 1.02) return std::nullopt;
    return CoveringMap{bestPath, bestScale};
}

bool SelectMapForPosition(const std::vector<std::string>& folders, const CoverageFinder& find,
                          const std::string& currentMapPath, double currentScale,
                          const std::function<bool(const std::string&)>& load) {
    auto choice = ChooseMap(folders, find, currentMapPath, currentScale);
    return choice ? load(choice->path) : false;
}

std::vector<CoveringMap> FindMapsAtPosition(const std::vector<std::string>& folders,
                                            const CoverageFinder& find) {
    std::vector<CoveringMap> out;
    for (const std::string& folder : folders) {
        auto found = find(folder);
        out.insert(out.end(), std::make_move_iterator(found.begin()),
                   std::make_move_iterator(found.end()));
    }
    return out;
}

}  // namespace mw
