// Finding the maps that cover a position and choosing the most detailed.
//
// The map folders are searched in a fixed order: the loaded map's folder
// first (when "Map Path Loaded Active" is set and it is none of the map
// folders), then each active map folder in turn, each folder once. Inside a
// folder the calibration files are taken sorted by file name (byte order,
// "B.map" before "a.map"), so among maps of equal scale the one met first in
// this order wins, whatever order the file system lists them in.
//
// Two ways to get the covering maps of a folder give the same answer: the
// plain scan reads every calibration file at each search; the catalogue
// keeps what each file said and reads only files that are new or changed.
// Where the file system can watch a folder, the catalogue learns of changes
// from the watch and a repeated search touches no file at all; elsewhere
// (network mounts, no watch left) it stamps every file (time, size, inode)
// and reads those whose stamp moved. Either way the maps' border boxes sit in
// a grid, so a search tests only the maps near the position.
//
// With an index file (UseIndexFile), what the files said outlives the run.
// The first search of a folder the index holds answers from the index alone,
// touching no file of the folder, so that a start over a large collection is
// not held up by it. That answer is trusted for kIndexTrustNs from then on;
// the first search of the folder after that checks it as a stamped folder is
// checked (the folder listed, every file stamped, the files new or changed
// since the index was written read), and from then on the folder is kept up
// to date as above (a watch, where there is one, is set at the check, before
// the listing, as for a folder's first listing). The index is written in the
// background when something new was learned, at most every
// kIndexSaveIntervalNs, and at the program's end (SaveIndex).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/settings.h"
#include "geo/datums.h"
#include "map/catalogue_index.h"
#include "map/coverage.h"
#include "map/coverage_grid.h"
#include "ports/file_system.h"

namespace mw {

inline constexpr const char* kMapFileSuffix = ".map";
// The best scale before any candidate: every real scale is smaller.
inline constexpr double kNoCandidateScale = 999999.0;
// A current scale that is not known: the caller wants any covering map.
inline constexpr double kUnknownScale = -777.0;

// A position to search for, in degrees on `datum`.
struct MapSearch {
    double lat = 0;
    double lon = 0;
    int datum = kDatumWgs84;
};

struct CoveringMap {
    std::string path;  // folder joined with the file name
    double scale = 0;
};

// One map folder setting as a local path, with its activity flag.
struct MapFolderSetting {
    std::string folder;
    bool active = false;
};

// A folder text without trailing separators ("/" stays "/"), so that folder
// texts written with and without them compare equal.
std::string NormaliseFolder(std::string folder);

// The folders to search, in order, each once: the loaded map's folder when
// `loadedFolderActive` and it equals none of the map folder settings (active
// or not), then every active map folder in setting order.
std::vector<std::string> SearchFolders(const std::vector<MapFolderSetting>& mapFolders,
                                       bool loadedFolderActive, const std::string& currentMapPath);
// The same from the settings: "Map Path 1".."Map Path 6" with their flags,
// made local under `userHome`. An empty folder text is the handheld's root
// folder, which lives in the user's home here.
std::vector<std::string> SearchFolders(const AppSettings& settings, const std::string& userHome,
                                       const std::string& currentMapPath);

// The covering maps of one folder, in file-name order.
using CoverageFinder = std::function<std::vector<CoveringMap>(const std::string& folder)>;

// The plain scan: lists the folder and reads every calibration file now.
std::vector<CoveringMap> ScanFolderFiles(FileSystem& files, const std::string& folder,
                                         const MapSearch& search, const DatumTable& datums);

// The index of the map folders' calibration files.
class MapCatalogue {
public:
    // A file whose time lies less than this before the search may still be
    // written to within the same tick of the file system's clock (FAT keeps
    // times to 2 s), so it is read again until it is older. (Only where
    // files are stamped: a watch reports every write.)
    static constexpr std::int64_t kRacyWindowNs = 3'000'000'000;
    // How often a watched folder's own identity is checked: a watch follows
    // the folder it was set on, and a mount or a new folder at the same path
    // sends it no event.
    static constexpr std::int64_t kVerifyFolderNs = 2'000'000'000;

    // How long after a folder was taken from the index file its answers
    // are given without looking at the folder: long enough for the first
    // frame and its neighbour searches, short enough that a map removed or
    // changed between runs is seen at the next search.
    static constexpr std::int64_t kIndexTrustNs = 2'000'000'000;
    // The least time between two writes of the index file.
    static constexpr std::int64_t kIndexSaveIntervalNs = 5'000'000'000;

    MapCatalogue() = default;
    ~MapCatalogue();
    MapCatalogue(const MapCatalogue&) = delete;
    MapCatalogue& operator=(const MapCatalogue&) = delete;

    // The covering maps of `folder`, in file-name order, exactly as
    // ScanFolderFiles would find them. Brings the folder's entries up to
    // date first. A watched folder costs nothing but the changes the watch
    // reported (one stamp and one read per changed file); otherwise one stamp
    // of the folder, one of each file, and a read of each file that is new,
    // changed, recently written or was unreadable. The first search of a
    // folder lists it and reads every file.
    std::vector<CoveringMap> Covering(FileSystem& files, const std::string& folder,
                                      const MapSearch& search, const DatumTable& datums);

    // Keeps what the files said in `path` between runs, written as
    // described above. The file is read and its folders made ready on a
    // thread of their own from this call on, so that a start does that
    // beside its other work; the first search waits for it. Empty: no index
    // file (the default). Call before the first search.
    void UseIndexFile(std::string path);
    // Writes the index file now if something new was learned since it was
    // last written, after any write under way in the background. For the
    // program's end. True when the file is up to date (or there is none).
    bool SaveIndex();
    // Index files written since construction (background writes included
    // once finished or started).
    std::uint64_t IndexWrites() const { return indexWrites_; }
    // Folders whose first search was answered from the index file.
    std::uint64_t FoldersFromIndex() const { return foldersFromIndex_; }

    // Forgets everything (the next search reads every file), the index
    // file's content included.
    void Clear();
    // Calibration files read since construction.
    std::uint64_t FilesRead() const { return filesRead_; }
    std::size_t FolderCount() const { return folders_.size(); }
    // Folders kept up to date by a watch rather than by stamps.
    std::size_t WatchedFolderCount() const;

private:
    struct Entry {
        std::string name;
        FileStamp stamp;
        bool racy = true;
        bool readable = false;
        bool link = false;
        CoverageInfo info;
    };
    struct Folder {
        bool listed = false;
        bool racy = true;
        bool watched = false;
        bool listing = false;  // entries are being read from a new listing
        // Taken from the index file at `indexedNs` and not yet checked
        // against the folder.
        bool fromIndex = false;
        std::int64_t indexedNs = 0;
        std::int64_t verifiedNs = 0;
        FileStamp stamp;
        std::map<std::string, Entry> entries;  // by name, byte order
        std::vector<std::string> names;        // the entries' names, kept for stamping
        std::vector<std::string> changed;      // names the watch reported, not yet looked at
        // Entries no watch on this folder vouches for (links, unreadable
        // files): looked at in every search.
        std::set<std::string> unsure;
        CoverageGrid<const Entry> grid;
    };

    Folder* Refresh(FileSystem& files, const std::string& folder, const DatumTable& datums);
    void TakeWatchedChanges();
    bool UpdateWatched(FileSystem& files, const std::string& folder, Folder& f,
                       const DatumTable& datums);
    bool Relist(FileSystem& files, const std::string& folder, Folder& f, const DatumTable& datums);
    void ReadEntry(FileSystem& files, const std::string& folder, Folder& f, Entry& entry,
                   const FileStamp& stamp, std::int64_t now, const DatumTable& datums);
    void Forget(const std::string& folder);
    // What the reading thread makes of the index file.
    struct Preload {
        bool found = false;  // there was a file (a rejected one is replaced)
        std::optional<CatalogueIndex> index;
        std::map<std::string, Folder> folders;  // the sections that read well
    };
    static void ReadIndexFile(const std::string& path, Preload& out);
    void JoinPreload();
    void LoadIndex(const DatumTable& datums, std::int64_t now);
    Folder* TakeFromIndex(FileSystem& files, const std::string& folder);
    void MaybeSaveIndex(std::int64_t now);
    std::string EncodeIndex();
    void JoinWriter();

    std::map<std::string, Folder> folders_;
    std::unique_ptr<FolderWatcher> watcher_;
    bool watcherAsked_ = false;
    std::uint64_t filesRead_ = 0;

    std::string indexPath_;
    bool indexLoaded_ = false;
    bool indexCleared_ = false;
    std::optional<CatalogueIndex> index_;
    std::map<std::string, Folder> indexFolders_;  // ready to be taken
    std::thread preloader_;
    std::unique_ptr<Preload> preload_;
    std::uint64_t datumFingerprint_ = 0;
    // Something was learned that the index file does not hold yet.
    bool indexDirty_ = false;
    std::int64_t indexSavedNs_ = 0;
    std::uint64_t indexWrites_ = 0;
    std::uint64_t foldersFromIndex_ = 0;
    // The background write: the thread and whether it has finished.
    struct WriterState {
        std::atomic<bool> done{false};
        std::atomic<bool> ok{false};
    };
    std::thread writer_;
    std::shared_ptr<WriterState> writerState_;
    bool temporariesSwept_ = false;
};

// Tests one folder's covering maps against the best so far: a map other than
// the loaded one (`loadedPath`) whose scale is strictly smaller becomes the
// best. Returns whether this folder produced a new best.
bool ScanMapFolder(const std::vector<CoveringMap>& covering, const std::string& loadedPath,
                   std::string& bestPath, double& bestScale);

// The map automatic selection would load for a position: the covering map
// with the smallest scale over `folders` (the loaded map excluded), unless
// `currentScale` is known (not -777) and the loaded map is within 2 % of it
// (currentScale <= best × 1.02). Empty when there is nothing to switch to.
std::optional<CoveringMap> ChooseMap(const std::vector<std::string>& folders,
                                     const CoverageFinder& find, const std::string& currentMapPath,
                                     double currentScale);

// ChooseMap, then `load` on the winner; returns what `load` returns, or
// false when there is no winner.
bool SelectMapForPosition(const std::vector<std::string>& folders, const CoverageFinder& find,
                          const std::string& currentMapPath, double currentScale,
                          const std::function<bool(const std::string&)>& load);

// Every covering map of `folders` in search order, the loaded map included:
// the entries of the "Maps Found" list.
std::vector<CoveringMap> FindMapsAtPosition(const std::vector<std::string>& folders,
                                            const CoverageFinder& find);

}  // namespace mw
