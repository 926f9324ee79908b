#include "map/catalogue.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "geo/datum_convert.h"
#include "geo/geo_point.h"
#include "map/map_file.h"
#include "ports/std_file_system.h"
#include "support/durable_file.h"
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

bool SameCoverage(const CoverageInfo& a, const CoverageInfo& b) {
    return a.header == b.header && a.movingMap == b.movingMap && a.datum == b.datum &&
           a.scale == b.scale && a.borderCount == b.borderCount && a.borderLat == b.borderLat &&
           a.borderLon == b.borderLon;
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

MapCatalogue::~MapCatalogue() {
    JoinPreload();
    JoinWriter();
}

void MapCatalogue::Clear() {
    for (const auto& [folder, f] : folders_)
        if (f.watched && watcher_) watcher_->Unwatch(folder);
    folders_.clear();
    JoinPreload();
    preload_.reset();
    index_.reset();
    indexFolders_.clear();
    indexCleared_ = true;
    indexDirty_ = !indexPath_.empty();
}

void MapCatalogue::UseIndexFile(std::string path) {
    JoinPreload();
    indexPath_ = std::move(path);
    indexLoaded_ = false;
    index_.reset();
    indexFolders_.clear();
    preload_.reset();
    if (indexPath_.empty()) return;
    preload_ = std::make_unique<Preload>();
    try {
        preloader_ = std::thread(&MapCatalogue::ReadIndexFile, indexPath_, std::ref(*preload_));
    } catch (const std::system_error&) {
        // No thread to be had: read it now rather than not at all.
        ReadIndexFile(indexPath_, *preload_);
    }
}

void MapCatalogue::JoinPreload() {
    if (preloader_.joinable()) preloader_.join();
}

void MapCatalogue::ReadIndexFile(const std::string& path, Preload& out) {
    // Read straight from the disk, not through the port: the index lives in
    // the cache folder, none of the map folders the port is about.
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file) return;
    out.found = true;
    std::string bytes;
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
        if (bytes.size() > kMaxCatalogueIndexBytes) break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || bytes.size() > kMaxCatalogueIndexBytes) return;
    out.index = CatalogueIndex::Parse(std::move(bytes));
    if (!out.index) return;
    std::vector<std::string> names;
    out.index->ForEachRemaining([&](const std::string& folder, std::string_view, std::uint32_t) {
        names.push_back(folder);
    });
    for (const std::string& name : names) {
        auto content = out.index->Read(name);
        if (!content) continue;
        Folder& f = out.folders[name];
        for (IndexedFile& file : content->files) {
            Entry& e = f.entries.emplace_hint(f.entries.end(), file.name, Entry{})->second;
            e.name = std::move(file.name);
            e.stamp = file.stamp;
            e.racy = file.racy;
            e.readable = file.readable;
            e.link = file.link;
            e.info = std::move(file.info);
        }
        // The grid points at the entries, whose nodes stay where they are
        // when the folder is moved to the catalogue's own.
        f.names.reserve(f.entries.size());
        for (auto& [entryName, e] : f.entries) {
            f.names.push_back(entryName);
            f.grid.Insert(&e, e.info);
            if (e.link || !e.readable) f.unsure.insert(entryName);
        }
        f.stamp = content->stamp;
        f.racy = content->racy;
        f.listed = true;
    }
}

void MapCatalogue::LoadIndex(const DatumTable& datums, std::int64_t now) {
    indexLoaded_ = true;
    indexSavedNs_ = now;
    datumFingerprint_ = DatumFingerprint(datums);
    JoinPreload();
    std::unique_ptr<Preload> preload = std::move(preload_);
    // After Clear the file's content is known to be out of date.
    if (!preload || indexCleared_) return;
    // A map's datum is kept as its place in the table: an index made with
    // another table (the user's datums changed) would name other datums.
    if (preload->index && preload->index->Fingerprint() == datumFingerprint_) {
        index_ = std::move(preload->index);
        indexFolders_ = std::move(preload->folders);
        // A damaged section is not carried into the next index.
        std::vector<std::string> damaged;
        index_->ForEachRemaining([&](const std::string& folder, std::string_view, std::uint32_t) {
            if (!indexFolders_.count(folder)) damaged.push_back(folder);
        });
        for (const std::string& folder : damaged) index_->Drop(folder);
        if (!damaged.empty()) indexDirty_ = true;
    } else if (preload->found) {
        // A damaged or foreign index is replaced at the next write.
        indexDirty_ = true;
    }
}

MapCatalogue::Folder* MapCatalogue::TakeFromIndex(FileSystem& files, const std::string& folder) {
    if (!index_ || !index_->Has(folder)) return nullptr;
    index_->Drop(folder);
    auto node = indexFolders_.extract(folder);
    if (node.empty()) return nullptr;
    Folder& f = folders_.insert(std::move(node)).position->second;
    f.fromIndex = true;
    f.indexedNs = files.NowNs();
    f.verifiedNs = f.indexedNs;
    // No watch yet: setting one costs the kernel a walk over the folder's
    // cached entries, and nothing is looked at before the check, which sets
    // it before it lists the folder, as a first listing does.
    ++foldersFromIndex_;
    return &f;
}

std::string MapCatalogue::EncodeIndex() {
    CatalogueIndexWriter writer(datumFingerprint_);
    for (const auto& [folder, f] : folders_) {
        if (!f.listed) continue;
        // Straight from the entries: this runs beside the searches.
        std::string section = FolderSectionStart(f.stamp, f.racy, f.entries.size());
        for (const auto& [name, e] : f.entries)
            AppendFileRecord(section, e.name, e.stamp, e.racy, e.readable, e.link, e.info);
        writer.AddSection(folder, std::move(section));
    }
    // Folders this run did not search stay for a few runs: a folder switched
    // off for a while is not read again when it comes back.
    if (index_) {
        index_->ForEachRemaining(
            [&](const std::string& folder, std::string_view section, std::uint32_t unused) {
                if (unused + 1 < kIndexUnusedRunsKept && !folders_.count(folder))
                    writer.AddRawSection(folder, section, unused + 1);
            });
    }
    return writer.Finish();
}

void MapCatalogue::JoinWriter() {
    if (!writer_.joinable()) return;
    writer_.join();
    // A write that failed (a full disk) is tried again later.
    if (!writerState_->ok) indexDirty_ = true;
}

void MapCatalogue::MaybeSaveIndex(std::int64_t now) {
    if (indexPath_.empty() || !indexDirty_) return;
    if (now >= indexSavedNs_ && now - indexSavedNs_ < kIndexSaveIntervalNs) return;
    if (writer_.joinable() && !writerState_->done) return;  // the last one is still under way
    JoinWriter();
    indexSavedNs_ = now;
    indexDirty_ = false;
    ++indexWrites_;
    writerState_ = std::make_shared<WriterState>();
    const bool sweep = !temporariesSwept_;
    temporariesSwept_ = true;
    // Encoded here, where the entries live; the disk work (and its syncs,
    // slow on a memory card) runs beside the searches.
    try {
        writer_ = std::thread([state = writerState_, path = indexPath_, bytes = EncodeIndex(),
                               sweep] {
            MakeFolders(FolderOf(path));
            if (sweep) RemoveStaleTemporaries(path);
            state->ok = WriteFileAtomically(path, bytes).Ok();
            state->done = true;
        });
    } catch (const std::system_error&) {
        // Tried again later, or at the end.
        indexDirty_ = true;
        temporariesSwept_ = !sweep;
    }
}

bool MapCatalogue::SaveIndex() {
    JoinWriter();
    // Before the first search the datum table is not known, nor anything new.
    if (indexPath_.empty() || !indexDirty_ || !indexLoaded_) return true;
    MakeFolders(FolderOf(indexPath_));
    if (!temporariesSwept_) RemoveStaleTemporaries(indexPath_);
    temporariesSwept_ = true;
    ++indexWrites_;
    const bool ok = WriteFileAtomically(indexPath_, EncodeIndex()).Ok();
    indexDirty_ = !ok;
    return ok;
}

std::size_t MapCatalogue::WatchedFolderCount() const {
    return std::count_if(folders_.begin(), folders_.end(),
                         [](const auto& kv) { return kv.second.watched; });
}

void MapCatalogue::Forget(const std::string& folder) {
    auto it = folders_.find(folder);
    if (it == folders_.end()) return;
    if (it->second.listed) indexDirty_ = true;
    if (it->second.watched && watcher_) watcher_->Unwatch(folder);
    folders_.erase(it);
}

void MapCatalogue::ReadEntry(FileSystem& files, const std::string& folder, Folder& f, Entry& entry,
                             const FileStamp& stamp, std::int64_t now, const DatumTable& datums) {
    ++filesRead_;
    if (!f.listing) f.grid.Remove(&entry, entry.info);
    const bool wasRacy = entry.racy, wasReadable = entry.readable;
    const FileStamp oldStamp = entry.stamp;
    entry.stamp = stamp;
    entry.racy = IsRacy(stamp, now);
    auto data = files.ReadFile(JoinPath(folder, entry.name), kMaxCalibrationFileBytes);
    // An unreadable file may become readable without a new stamp (its
    // permissions change only the change time on some file systems), so a
    // failure is never trusted: the file is tried again next time.
    entry.readable = data.has_value();
    CoverageInfo info = entry.readable ? ReadCoverageInfo(*data, datums) : CoverageInfo{};
    // Only news is worth a write of the index: an unreadable file is read at
    // every search and says the same each time.
    if (wasRacy != entry.racy || wasReadable != entry.readable || !(oldStamp == stamp) ||
        !SameCoverage(info, entry.info))
        indexDirty_ = true;
    entry.info = std::move(info);
    if (!f.listing) f.grid.Insert(&entry, entry.info);
    if (entry.link || !entry.readable)
        f.unsure.insert(entry.name);
    else
        f.unsure.erase(entry.name);
}

bool MapCatalogue::Relist(FileSystem& files, const std::string& folder, Folder& f,
                          const DatumTable& datums) {
    // The folder's stamp is taken before the listing, so a change during the
    // listing moves it again and is seen next time.
    auto stamp = files.StampFolder(folder);
    if (!stamp) return false;
    auto listing = files.ListFolder(folder, kMapFileSuffix);
    if (!listing) return false;
    const std::int64_t now = files.NowNs();
    const std::size_t entriesBefore = f.entries.size();
    // Sorted, so that the new entries go in at the end of the map and the
    // old ones are met in order.
    std::sort(listing->begin(), listing->end(), ByName);
    std::map<std::string, Entry> next;
    // The grid is built again once the listing is read.
    f.listing = true;
    for (FolderFile& file : *listing) {
        auto old = f.entries.empty() ? f.entries.end() : f.entries.find(file.name);
        if (old != f.entries.end() && !old->second.racy && old->second.readable &&
            old->second.stamp == file.stamp) {
            // A map node moves without moving its entry, so the grid's
            // pointers to kept entries stay good.
            auto node = f.entries.extract(old);
            node.mapped().link = file.link;
            next.insert(next.end(), std::move(node));
            continue;
        }
        Entry& e = next.emplace_hint(next.end(), file.name, Entry{})->second;
        e.name = std::move(file.name);
        e.link = file.link;
        ReadEntry(files, folder, f, e, file.stamp, now, datums);
    }
    f.listing = false;
    f.entries = std::move(next);
    f.grid.Clear();
    f.names.clear();
    f.unsure.clear();
    for (auto& [name, e] : f.entries) {
        f.names.push_back(name);
        f.grid.Insert(&e, e.info);
        if (e.link || !e.readable) f.unsure.insert(name);
    }
    f.changed.clear();
    // A file gone, or the folder's stamp moved: worth writing down.
    if (f.entries.size() != entriesBefore || !(f.stamp == *stamp)) indexDirty_ = true;
    f.stamp = *stamp;
    f.racy = IsRacy(*stamp, now);
    f.verifiedNs = now;
    f.listed = true;
    f.fromIndex = false;
    return true;
}

void MapCatalogue::TakeWatchedChanges() {
    if (!watcher_) return;
    for (FolderChange& c : watcher_->TakeChanges()) {
        auto it = folders_.find(c.folder);
        if (it == folders_.end()) continue;
        Folder& f = it->second;
        if (c.rescan) {
            // The watch is gone (the watcher dropped it): list the folder
            // again, and watch it again if it can be.
            f.watched = false;
            f.listed = false;
            f.changed.clear();
            continue;
        }
        if (!f.watched) continue;
        for (std::string& name : c.names)
            if (EndsWithNoCase(name, kMapFileSuffix)) f.changed.push_back(std::move(name));
    }
}

bool MapCatalogue::UpdateWatched(FileSystem& files, const std::string& folder, Folder& f,
                                 const DatumTable& datums) {
    const std::int64_t now = files.NowNs();
    if (now - f.verifiedNs >= kVerifyFolderNs || now < f.verifiedNs) {
        auto stamp = files.StampFolder(folder);
        if (!stamp) return false;
        f.verifiedNs = now;
        if (stamp->inode != f.stamp.inode) return false;
    }
    // The files the watch named, and the ones no watch on this folder can
    // vouch for: links (their targets live elsewhere) and unreadable files.
    std::vector<std::string> names = std::move(f.changed);
    f.changed.clear();
    names.insert(names.end(), f.unsure.begin(), f.unsure.end());
    if (names.empty()) return true;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    auto stamps = files.StampFiles(folder, names);
    bool listChanged = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto it = f.entries.find(names[i]);
        if (i >= stamps.size() || !stamps[i]) {
            f.unsure.erase(names[i]);
            if (it != f.entries.end()) {
                f.grid.Remove(&it->second, it->second.info);
                f.entries.erase(it);
                listChanged = true;
                indexDirty_ = true;
            }
            continue;
        }
        if (it == f.entries.end()) {
            it = f.entries.emplace(names[i], Entry{}).first;
            it->second.name = names[i];
            it->second.link = files.IsLink(JoinPath(folder, names[i]));
            listChanged = true;
        }
        Entry& e = it->second;
        // A link is read again only when its target's stamp moved; a file
        // the watch named is read again whatever its stamp says (a write
        // within the clock's tick leaves the stamp as it was).
        if (e.link && e.readable && !e.racy && e.stamp == *stamps[i]) continue;
        ReadEntry(files, folder, f, e, *stamps[i], now, datums);
    }
    if (listChanged) {
        f.names.clear();
        for (const auto& [name, e] : f.entries) f.names.push_back(name);
    }
    return true;
}

MapCatalogue::Folder* MapCatalogue::Refresh(FileSystem& files, const std::string& folder,
                                            const DatumTable& datums) {
    if (!watcherAsked_) {
        watcher_ = files.NewWatcher();
        watcherAsked_ = true;
    }
    if (!indexLoaded_) LoadIndex(datums, files.NowNs());
    TakeWatchedChanges();
    if (!folders_.count(folder))
        if (Folder* indexed = TakeFromIndex(files, folder)) return indexed;
    Folder& f = folders_[folder];

    // What happened between two runs takes a listing, as a folder never
    // listed does; a folder that cannot be watched is checked by its stamps
    // below.
    bool betweenRuns = false;
    if (f.fromIndex) {
        const std::int64_t now = files.NowNs();
        if (f.listed && now >= f.indexedNs && now - f.indexedNs < kIndexTrustNs) return &f;
        f.fromIndex = false;
        betweenRuns = f.listed;
    }

    if (f.listed && f.watched) {
        if (UpdateWatched(files, folder, f, datums)) return &f;
        // The path leads elsewhere now: start again.
        watcher_->Unwatch(folder);
        f.watched = false;
        f.listed = false;
    }
    if ((!f.listed || betweenRuns) && watcher_ && !f.watched) {
        // Watch before listing, so that nothing written in between is missed.
        f.watched = watcher_->Watch(folder);
        f.changed.clear();
    }
    if (f.watched) {
        if (!Relist(files, folder, f, datums)) {
            Forget(folder);
            return nullptr;
        }
        // Changes the watch saw during the listing were read with it or are
        // looked at next time.
        return &f;
    }

    // Stamped folder.
    auto stamp = files.StampFolder(folder);
    if (!stamp) {
        Forget(folder);
        return nullptr;
    }
    const std::int64_t now = files.NowNs();
    // Unchanged folder: the same files are there, so stamping them is enough.
    if (f.listed && !f.racy && f.stamp == *stamp) {
        auto stamps = files.StampFiles(folder, f.names);
        bool complete =
            stamps.size() == f.entries.size() &&
            std::all_of(stamps.begin(), stamps.end(), [](const auto& s) { return s.has_value(); });
        if (complete) {
            std::size_t i = 0;
            for (auto& [name, e] : f.entries) {
                const FileStamp& s = *stamps[i++];
                if (e.racy || !e.readable || e.stamp != s)
                    ReadEntry(files, folder, f, e, s, now, datums);
            }
            return &f;
        }
        // A file vanished without the folder's time moving: list it again.
    }
    if (!Relist(files, folder, f, datums)) {
        Forget(folder);
        return nullptr;
    }
    return &f;
}

std::vector<CoveringMap> MapCatalogue::Covering(FileSystem& files, const std::string& folder,
                                                const MapSearch& search, const DatumTable& datums) {
    std::vector<CoveringMap> out;
    const Folder* f = Refresh(files, folder, datums);
    if (indexDirty_ && !indexPath_.empty()) MaybeSaveIndex(files.NowNs());
    if (!f) return out;
    DatumPositions positions(search, datums);
    std::vector<const Entry*> hits;
    f->grid.ForEachDatum([&](int datum) {
        const GeoPoint p = positions.On(datum);
        auto test = [&](const Entry* e) {
            if (e->info.datum == datum && CoverageContainsOnMapDatum(e->info, p.lat, p.lon))
                hits.push_back(e);
        };
        if (!f->grid.Candidates(datum, p.lat, p.lon, test)) {
            for (const auto& [name, e] : f->entries) test(&e);
        }
    });
    std::sort(hits.begin(), hits.end(),
              [](const Entry* a, const Entry* b) { return a->name < b->name; });
    out.reserve(hits.size());
    for (const Entry* e : hits) out.push_back({JoinPath(folder, e->name), e->info.scale});
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
