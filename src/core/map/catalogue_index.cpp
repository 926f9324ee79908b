#include "map/catalogue_index.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "map/map_record.h"
#include "ports/std_file_system.h"
#include "support/paths.h"

namespace mw {

namespace {

constexpr char kMagic[8] = {'M', 'W', 'C', 'A', 'T', 'I', 'D', 'X'};
// Raised whenever the layout changes: an index of another version is rebuilt.
constexpr std::uint32_t kVersion = 1;
// Written in the host's byte order: an index carried to a machine of the
// other order reads it swapped and is rebuilt.
constexpr std::uint32_t kByteOrderMark = 0x01020304;
// Longest file or folder name kept; longer ones mean a damaged file.
constexpr std::size_t kMaxNameBytes = 4096;

enum EntryFlags : std::uint8_t {
    kRacy = 1,
    kReadable = 2,
    kLink = 4,
    kHeader = 8,
    kMovingMap = 16,
};

// A checksum over whole words: damage (a torn write, a bad sector, an edit)
// changes it; it need not stand up to anyone forging an index.
std::uint64_t Checksum(std::string_view bytes) {
    constexpr std::uint64_t k1 = 0x9E3779B97F4A7C15ull, k2 = 0xC2B2AE3D27D4EB4Full;
    std::uint64_t h = k1 ^ bytes.size();
    std::size_t i = 0;
    auto mix = [&](std::uint64_t w) {
        w *= k2;
        w = (w << 31) | (w >> 33);
        h ^= w * k1;
        h = ((h << 27) | (h >> 37)) * 5 + 0x52DCE729;
    };
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        mix(w);
    }
    if (i < bytes.size()) {
        std::uint64_t w = 0;
        std::memcpy(&w, bytes.data() + i, bytes.size() - i);
        mix(w);
    }
    h ^= h >> 33;
    h *= k2;
    h ^= h >> 29;
    return h;
}

class Out {
public:
    explicit Out(std::string& s) : s_(s) {}
    template <typename T>
    void Put(T v) {
        char b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));
        s_.append(b, sizeof(T));
    }
    void PutText(std::string_view t) {
        Put(static_cast<std::uint32_t>(t.size()));
        s_.append(t);
    }
    void PutStamp(const FileStamp& st) {
        Put(st.modifiedNs);
        Put(st.changedNs);
        Put(st.size);
        Put(st.inode);
    }

private:
    std::string& s_;
};

// Reads with every length checked against what is left: a damaged count
// ends the reading, never a read past the end.
class In {
public:
    explicit In(std::string_view s) : s_(s) {}
    template <typename T>
    bool Get(T& v) {
        if (s_.size() - at_ < sizeof(T)) return false;
        std::memcpy(&v, s_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    bool GetText(std::string& t) {
        std::uint32_t n = 0;
        if (!Get(n) || n > kMaxNameBytes || s_.size() - at_ < n) return false;
        t.assign(s_.data() + at_, n);
        at_ += n;
        return true;
    }
    bool GetStamp(FileStamp& st) {
        return Get(st.modifiedNs) && Get(st.changedNs) && Get(st.size) && Get(st.inode);
    }
    std::size_t Left() const { return s_.size() - at_; }
    std::size_t At() const { return at_; }

private:
    std::string_view s_;
    std::size_t at_ = 0;
};

bool ValidName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

std::string CatalogueIndexPathFromEnvironment() {
    std::map<std::string, std::string> env;
    if (const char* x = std::getenv("XDG_CACHE_HOME")) env["XDG_CACHE_HOME"] = x;
    env["HOME"] = UserHomeFromEnvironment();
    return JoinPath(CacheHome(env), kCatalogueIndexFile);
}

std::uint64_t DatumFingerprint(const DatumTable& datums) {
    std::string all;
    Out out(all);
    out.Put(static_cast<std::int32_t>(datums.datumCount));
    for (int i = 0; i < datums.datumCount; ++i) {
        const DatumRecord& r = datums.rows[i];
        out.PutText(r.name);
        out.Put(r.ellipsoid);
        out.Put(r.dx);
        out.Put(r.dy);
        out.Put(r.dz);
    }
    return Checksum(all);
}

std::string FolderSectionStart(const FileStamp& stamp, bool racy, std::size_t fileCount) {
    std::string s;
    s.reserve(64 + fileCount * 128);
    Out out(s);
    out.PutStamp(stamp);
    out.Put(static_cast<std::uint8_t>(racy ? 1 : 0));
    out.Put(static_cast<std::uint32_t>(fileCount));
    return s;
}

void AppendFileRecord(std::string& section, std::string_view name, const FileStamp& stamp,
                      bool racy, bool readable, bool link, const CoverageInfo& info) {
    Out out(section);
    out.PutText(name);
    out.PutStamp(stamp);
    std::uint8_t flags = (racy ? kRacy : 0) | (readable ? kReadable : 0) | (link ? kLink : 0) |
                         (info.header ? kHeader : 0) | (info.movingMap ? kMovingMap : 0);
    out.Put(flags);
    // Only a file that can cover something needs its border: the rest are
    // kept as "not a map" so that they are not read again either.
    if (!info.CanCover()) return;
    out.Put(static_cast<std::int32_t>(info.datum));
    out.Put(info.scale);
    out.Put(static_cast<std::uint8_t>(info.borderLat.size()));
    for (std::size_t i = 0; i < info.borderLat.size(); ++i) {
        out.Put(info.borderLat[i]);
        out.Put(info.borderLon[i]);
    }
}

std::string EncodeFolderSection(const IndexedFolder& folder) {
    std::string s = FolderSectionStart(folder.stamp, folder.racy, folder.files.size());
    for (const IndexedFile& f : folder.files)
        AppendFileRecord(s, f.name, f.stamp, f.racy, f.readable, f.link, f.info);
    return s;
}

std::optional<IndexedFolder> DecodeFolderSection(std::string_view bytes) {
    In in(bytes);
    IndexedFolder folder;
    std::uint8_t racy = 0;
    std::uint32_t count = 0;
    if (!in.GetStamp(folder.stamp) || !in.Get(racy) || racy > 1 || !in.Get(count))
        return std::nullopt;
    folder.racy = racy != 0;
    // Every entry takes more than 40 bytes: a count beyond that is damage,
    // and must not size an allocation.
    if (count > in.Left() / 40) return std::nullopt;
    folder.files.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        IndexedFile f;
        std::uint8_t flags = 0;
        // Only calibration files are ever listed.
        if (!in.GetText(f.name) || !ValidName(f.name) || !EndsWithNoCase(f.name, ".map") ||
            !in.GetStamp(f.stamp) || !in.Get(flags))
            return std::nullopt;
        if (flags & ~(kRacy | kReadable | kLink | kHeader | kMovingMap)) return std::nullopt;
        if (!folder.files.empty() && !(folder.files.back().name < f.name)) return std::nullopt;
        f.racy = flags & kRacy;
        f.readable = flags & kReadable;
        f.link = flags & kLink;
        f.info.header = flags & kHeader;
        f.info.movingMap = flags & kMovingMap;
        if (f.info.CanCover()) {
            std::int32_t datum = 0;
            std::uint8_t corners = 0;
            if (!in.Get(datum) || datum < 0 || datum >= kDatumCapacity || !in.Get(f.info.scale) ||
                !in.Get(corners) || corners < 1 || corners > kMaxBorderCorners)
                return std::nullopt;
            // A scale the reading could not have given (it keeps 99999 for
            // what is no positive number) is damage.
            if (!std::isfinite(f.info.scale) || !(f.info.scale > 0)) return std::nullopt;
            f.info.datum = datum;
            f.info.borderCount = corners;
            f.info.borderLat.resize(corners);
            f.info.borderLon.resize(corners);
            for (int c = 0; c < corners; ++c)
                if (!in.Get(f.info.borderLat[c]) || !in.Get(f.info.borderLon[c]))
                    return std::nullopt;
        }
        folder.files.push_back(std::move(f));
    }
    if (in.Left() != 0) return std::nullopt;
    return folder;
}

void CatalogueIndexWriter::AddFolder(const std::string& folder, const IndexedFolder& content) {
    items_.push_back({folder, EncodeFolderSection(content), 0});
}

void CatalogueIndexWriter::AddSection(const std::string& folder, std::string section) {
    items_.push_back({folder, std::move(section), 0});
}

void CatalogueIndexWriter::AddRawSection(const std::string& folder, std::string_view section,
                                         std::uint32_t unusedRuns) {
    items_.push_back({folder, std::string(section), unusedRuns});
}

std::string CatalogueIndexWriter::Finish() const {
    std::string table;
    Out t(table);
    t.Put(static_cast<std::uint32_t>(items_.size()));
    std::uint64_t offset = 0;
    for (const Item& item : items_) {
        t.PutText(item.folder);
        t.Put(offset);
        t.Put(static_cast<std::uint64_t>(item.section.size()));
        t.Put(Checksum(item.section));
        t.Put(item.unusedRuns);
        offset += item.section.size();
    }
    std::string out;
    out.reserve(32 + table.size() + offset);
    out.append(kMagic, sizeof kMagic);
    Out o(out);
    o.Put(kVersion);
    o.Put(kByteOrderMark);
    o.Put(fingerprint_);
    o.Put(static_cast<std::uint64_t>(table.size()));
    o.Put(Checksum(table));
    out += table;
    for (const Item& item : items_) out += item.section;
    return out;
}

std::optional<CatalogueIndex> CatalogueIndex::Parse(std::string bytes) {
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    In in(std::string_view(bytes).substr(sizeof kMagic));
    std::uint32_t version = 0, mark = 0;
    std::uint64_t fingerprint = 0, tableSize = 0, tableSum = 0;
    if (!in.Get(version) || version != kVersion || !in.Get(mark) || mark != kByteOrderMark ||
        !in.Get(fingerprint) || !in.Get(tableSize) ||
        !in.Get(tableSum) || tableSize > in.Left())
        return std::nullopt;
    const std::size_t tableAt = sizeof kMagic + in.At();
    const std::string_view table = std::string_view(bytes).substr(tableAt, tableSize);
    if (Checksum(table) != tableSum) return std::nullopt;
    const std::size_t bodyAt = tableAt + tableSize;
    const std::uint64_t bodySize = bytes.size() - bodyAt;

    CatalogueIndex index;
    In t(table);
    std::uint32_t count = 0;
    if (!t.Get(count)) return std::nullopt;
    // The sections follow one another in table order and fill the rest of
    // the file exactly: anything else is a file cut short or run on.
    std::uint64_t next = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string folder;
        Section s;
        if (!t.GetText(folder) || folder.empty() || !t.Get(s.offset) || !t.Get(s.size) ||
            !t.Get(s.checksum) || !t.Get(s.unusedRuns))
            return std::nullopt;
        if (s.offset != next || s.size > bodySize - s.offset) return std::nullopt;
        next += s.size;
        s.offset += bodyAt;
        if (!index.sections_.emplace(std::move(folder), s).second) return std::nullopt;
    }
    if (t.Left() != 0 || next != bodySize) return std::nullopt;
    index.bytes_ = std::move(bytes);
    index.fingerprint_ = fingerprint;
    return index;
}

std::optional<IndexedFolder> CatalogueIndex::Read(const std::string& folder) const {
    auto it = sections_.find(folder);
    if (it == sections_.end()) return std::nullopt;
    const Section& s = it->second;
    const std::string_view bytes = std::string_view(bytes_).substr(s.offset, s.size);
    if (Checksum(bytes) != s.checksum) return std::nullopt;
    return DecodeFolderSection(bytes);
}

}  // namespace mw
