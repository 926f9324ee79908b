// A place-name gazetteer: a dBASE III table with one record per place, read
// record by record from an open descriptor. Nothing in the file is trusted:
// every length and offset of the header is checked against the file's size,
// and every read is a bounded pread, so a damaged file gives a message or
// fewer records, and a file shortened or rewritten while it is open (another
// program copying over it) gives short reads and ChangedOnDisk(), never a
// fault. (A memory mapping would die of SIGBUS on the first page past the
// new end.)
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mw {

// Field texts are cut to this many characters (the record buffer's size).
inline constexpr std::size_t kNameFieldMax = 259;

struct NamesField {
    std::string name;      // descriptor name up to its first zero byte
    char type = 'C';       // not used by the search
    std::uint32_t offset;  // byte offset in the record (the deletion flag is byte 0)
    std::uint32_t length;  // bytes
};

// Field indices of the four roles; -1 when the file has fewer fields than the
// role's default index (the role then reads as empty text).
struct NamesRoles {
    int name = 0, code = 1, lat = 3, lon = 4;
};

// The four texts of one record, trimmed of blanks.
struct NameRecord {
    std::string name, code, lat, lon;
    bool operator==(const NameRecord&) const = default;
};

enum class NamesOpenError {
    None,
    CannotOpen,          // missing, unreadable or not a regular file
    TruncatedHeader,     // shorter than the fixed header, or than its header length
    BadHeaderLength,     // header length below 33
    HeaderMismatch,      // the descriptors run past the header length
    NoFields,            // a terminator right after the fixed header
    ZeroRecordLength,
    FieldsPastRecord,    // the field lengths add up to more than a record
};

// The user-facing text of an open failure (empty for None and CannotOpen,
// which fail silently).
std::string NamesOpenMessage(NamesOpenError error);
// Said once when a header claims more records than the file holds.
inline constexpr const char* kNamesTruncatedText =
    "The Names File holds fewer Records than its Header says";

class NamesFile {
public:
    ~NamesFile();
    NamesFile(const NamesFile&) = delete;
    NamesFile& operator=(const NamesFile&) = delete;

    // Opens `path` and checks its header. On failure returns null with `error`
    // set. `truncated` reports a header whose record count exceeds what the
    // file holds; the count is then cut to the whole records present.
    static std::shared_ptr<const NamesFile> Open(const std::string& path, NamesOpenError& error,
                                                 bool* truncated = nullptr);

    const std::string& Path() const { return path_; }
    std::uint32_t RecordCount() const { return recordCount_; }
    std::uint32_t HeaderRecordCount() const { return headerRecordCount_; }
    std::uint32_t RecordLength() const { return recordLength_; }
    std::uint32_t HeaderLength() const { return headerLength_; }
    // The file's size when it was opened.
    std::uint64_t Size() const { return size_; }
    const std::vector<NamesField>& Fields() const { return fields_; }
    const NamesRoles& Roles() const { return roles_; }

    // Reads records first..first+count-1 (cut at RecordCount) into `out`,
    // which holds count × RecordLength bytes. Returns how many whole records
    // were read: fewer than asked when the file has become shorter since it
    // was opened. Safe from several threads at once.
    std::uint32_t ReadRecords(std::uint32_t first, std::uint32_t count, unsigned char* out) const;
    // The bytes of field `field` in a record read by ReadRecords, untrimmed;
    // empty for a field index of -1.
    std::string_view Field(const unsigned char* record, int field) const;
    // The trimmed text of a field, cut at kNameFieldMax characters.
    std::string FieldText(const unsigned char* record, int field) const;
    // Record `index`; false (and every text empty) past the last record or
    // when the record can no longer be read whole.
    bool ReadRecord(std::uint32_t index, NameRecord& out) const;
    NameRecord Read(std::uint32_t index) const;

    // The names (trimmed, cut at kNameFieldMax) of records 0, step, 2 step,
    // ... : what the prefix search probes a sorted file with. Read once per
    // file and step and kept, since a probe is a read of its own and a
    // search probes up to a two-thousandth of the file. Shorter than the
    // records promise when the file was cut meanwhile. Safe from several
    // threads at once.
    std::shared_ptr<const std::vector<std::string>> ProbeNames(std::uint32_t step) const;

    // Whether the file at Path() is no longer the one opened: its size or
    // modification time differ, or the name now leads to another file. A
    // name that has gone is no change: the open file still reads as it was.
    bool ChangedOnDisk() const;

private:
    NamesFile() = default;
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    // What ChangedOnDisk compares.
    std::uint64_t device_ = 0, inode_ = 0;
    std::int64_t mtimeSec_ = 0, mtimeNsec_ = 0;
    std::uint32_t headerRecordCount_ = 0, recordCount_ = 0;
    std::uint32_t headerLength_ = 0, recordLength_ = 0;
    std::vector<NamesField> fields_;
    NamesRoles roles_;
    mutable std::mutex probeMutex_;
    mutable std::uint32_t probeStep_ = 0;
    mutable std::shared_ptr<const std::vector<std::string>> probeNames_;
};

// Reading records one at a time for display, with the last record cached so
// that the four columns of one row read the file once. Not shared between
// threads.
class NameRecordReader {
public:
    explicit NameRecordReader(std::shared_ptr<const NamesFile> file) : file_(std::move(file)) {}
    // Record `index`; past the end every text is empty. Each read from the
    // file first looks whether the file changed on disk; a changed file
    // reads as empty records from then on (FileChanged() says so), since
    // its records may no longer be where the header said.
    const NameRecord& Read(std::uint32_t index);
    bool FileChanged() const { return changed_; }
    // Records fetched from the file (cache misses), for tests and statistics.
    std::uint64_t Reads() const { return reads_; }

private:
    std::shared_ptr<const NamesFile> file_;
    std::optional<std::uint32_t> cached_;
    NameRecord record_;
    std::uint64_t reads_ = 0;
    bool changed_ = false;
};

// The blanks a field is padded or trimmed with: space, tab and zero bytes.
inline bool IsFieldBlank(unsigned char c) { return c == ' ' || c == '\t' || c == 0; }
// A field's bytes without the blanks at either end.
std::string_view TrimField(std::string_view s);

// Upper case as the search compares names: ASCII letters, and the accented
// Latin letters of UTF-8 text (U+00E0..U+00FE but U+00F7), which is how the
// dialog's upper-case edit spells them. Only ever clears bit 5 of a byte.
std::string UpperName(std::string_view text);
// The upper-case of the byte at `i` of `text` under the same rule.
inline unsigned char UpperByteAt(const unsigned char* text, std::size_t i) {
    unsigned char c = text[i];
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c >= 0xA0 && c <= 0xBE && c != 0xB7 && i > 0 && text[i - 1] == 0xC3) return c - 0x20;
    return c;
}

}  // namespace mw
