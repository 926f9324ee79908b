// What the map catalogue learned about each calibration file, kept on disk
// between runs, so that the first search after a start answers from one file
// read instead of opening every calibration file of the map folders.
//
// The file is a cache: it is rebuilt whenever it cannot be trusted. It
// starts with a magic text, a format version, a byte-order mark and a
// fingerprint of the datum table (a map's datum is kept as its index in the
// table, which the user's own datums can shift), then a table of folders and
// one section per folder. The table and every section carry a checksum; a
// file whose header or table fails any check is ignored as a whole, a section
// that fails is ignored alone (its folder is read from the files again).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geo/datums.h"
#include "map/coverage.h"
#include "ports/file_system.h"

namespace mw {

inline constexpr const char* kCatalogueIndexFile = "catalogue.index";
// Bigger than any real index (100 000 maps take about 13 MB): a file above
// it is not read at all.
inline constexpr std::size_t kMaxCatalogueIndexBytes = std::size_t(512) << 20;
// A folder no search of this many runs asked for is dropped from the index.
inline constexpr std::uint32_t kIndexUnusedRunsKept = 8;

// The index file in the cache folder (CacheHome) of the process environment.
std::string CatalogueIndexPathFromEnvironment();

// One calibration file as the catalogue knows it.
struct IndexedFile {
    std::string name;
    FileStamp stamp;
    bool racy = true;       // written too shortly before it was read to trust its stamp
    bool readable = false;  // the read worked (an unreadable file is tried again)
    bool link = false;
    CoverageInfo info;
};

struct IndexedFolder {
    FileStamp stamp;
    bool racy = true;
    std::vector<IndexedFile> files;  // strictly ascending by name (byte order)
};

// A hash of everything in the table a stored datum index depends on.
std::uint64_t DatumFingerprint(const DatumTable& datums);

// One folder's section body (no checksum): what the fuzz target feeds too.
std::string EncodeFolderSection(const IndexedFolder& folder);
// The same in pieces, for a caller that keeps its files otherwise: the
// start, then one record per file in ascending name order.
std::string FolderSectionStart(const FileStamp& stamp, bool racy, std::size_t fileCount);
void AppendFileRecord(std::string& section, std::string_view name, const FileStamp& stamp,
                      bool racy, bool readable, bool link, const CoverageInfo& info);
// nullopt for anything that is not a well-formed section: bad lengths, names
// out of order, a datum outside the table, more corners than a border has.
std::optional<IndexedFolder> DecodeFolderSection(std::string_view bytes);

// Builds an index file.
class CatalogueIndexWriter {
public:
    explicit CatalogueIndexWriter(std::uint64_t datumFingerprint)
        : fingerprint_(datumFingerprint) {}
    void AddFolder(const std::string& folder, const IndexedFolder& content);
    // A section made with FolderSectionStart and AppendFileRecord.
    void AddSection(const std::string& folder, std::string section);
    // A section taken over unchanged from the index read at start (a folder
    // not searched in this run), with its count of unused runs.
    void AddRawSection(const std::string& folder, std::string_view section,
                       std::uint32_t unusedRuns);
    std::string Finish() const;

private:
    struct Item {
        std::string folder;
        std::string section;
        std::uint32_t unusedRuns = 0;
    };
    std::uint64_t fingerprint_;
    std::vector<Item> items_;
};

// An index file read back. Only the header and the folder table are checked
// when it is parsed; a folder's section is decoded when it is taken, so that
// a start pays only for the folders it searches.
class CatalogueIndex {
public:
    // nullopt when the bytes are no index of this version, or the header or
    // table is damaged. Whether it was made with the same datum table is
    // the caller's to check (Fingerprint).
    static std::optional<CatalogueIndex> Parse(std::string bytes);

    std::uint64_t Fingerprint() const { return fingerprint_; }
    bool Has(const std::string& folder) const { return sections_.count(folder) != 0; }
    std::size_t FolderCount() const { return sections_.size(); }
    // The folder's content; nullopt when it is not held or its section is
    // damaged.
    std::optional<IndexedFolder> Read(const std::string& folder) const;
    // The folder leaves the index (it is known from elsewhere now).
    void Drop(const std::string& folder) { sections_.erase(folder); }
    // The folders still held, with their sections and unused-run counts.
    template <typename Fn>
    void ForEachRemaining(Fn&& fn) const {
        for (const auto& [folder, s] : sections_)
            fn(folder, std::string_view(bytes_).substr(s.offset, s.size), s.unusedRuns);
    }

private:
    struct Section {
        std::uint64_t offset = 0, size = 0, checksum = 0;
        std::uint32_t unusedRuns = 0;
    };
    std::string bytes_;
    std::uint64_t fingerprint_ = 0;
    std::map<std::string, Section> sections_;
};

}  // namespace mw
