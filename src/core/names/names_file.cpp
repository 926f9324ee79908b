#include "names/names_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mw {

namespace {

constexpr std::uint32_t kFixedHeader = 32;
constexpr std::uint32_t kDescriptorSize = 32;
constexpr unsigned char kTerminator = 0x0D;

std::uint32_t U32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }

// Descriptors past the header length are looked for this far, to tell a
// header length that is too short from a list without its end mark.
constexpr std::uint32_t kMismatchSearch = 64u * 1024;

// Reads up to `count` bytes at `offset`; how many were read.
std::size_t ReadAt(int fd, unsigned char* out, std::size_t count, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = pread(fd, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

int FindRole(const std::vector<NamesField>& fields, std::string_view name, int fallback) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return fallback < static_cast<int>(fields.size()) ? fallback : -1;
}

}  // namespace

std::string_view TrimField(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsFieldBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsFieldBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string NamesOpenMessage(NamesOpenError error) {
    switch (error) {
    case NamesOpenError::None:
    case NamesOpenError::CannotOpen: return {};
    case NamesOpenError::TruncatedHeader: return "The Names File is shorter than its Header";
    case NamesOpenError::BadHeaderLength: return "The Names File Header Length is invalid";
    case NamesOpenError::HeaderMismatch:
        return "The Names File Header Length does not match its Fields";
    case NamesOpenError::NoFields: return "The Names File has no Fields";
    case NamesOpenError::ZeroRecordLength: return "The Names File Record Length is 0";
    case NamesOpenError::FieldsPastRecord:
        return "The Names File Fields are longer than its Records";
    }
    return {};
}

NamesFile::~NamesFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::shared_ptr<const NamesFile> NamesFile::Open(const std::string& path, NamesOpenError& error,
                                                 bool* truncated) {
    if (truncated) *truncated = false;
    error = NamesOpenError::CannotOpen;
    // Non-blocking: a FIFO without a writer must not hold the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    std::shared_ptr<NamesFile> file(new NamesFile);
    file->fd_ = fd;  // closed by the destructor on every way out
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    file->path_ = path;
    file->size_ = static_cast<std::uint64_t>(st.st_size);
    file->device_ = static_cast<std::uint64_t>(st.st_dev);
    file->inode_ = static_cast<std::uint64_t>(st.st_ino);
    file->mtimeSec_ = st.st_mtim.tv_sec;
    file->mtimeNsec_ = st.st_mtim.tv_nsec;
    if (file->size_ < kFixedHeader) {
        error = NamesOpenError::TruncatedHeader;
        return nullptr;
    }
    // The header, and what follows it as far as a misplaced end mark is
    // looked for. Everything below reads from this copy.
    std::vector<unsigned char> head(
        static_cast<std::size_t>(std::min<std::uint64_t>(file->size_, 0xFFFFu + kMismatchSearch)));
    head.resize(ReadAt(fd, head.data(), head.size(), 0));
    if (head.size() < kFixedHeader) {
        error = NamesOpenError::TruncatedHeader;
        return nullptr;
    }
    const unsigned char* d = head.data();

    file->headerRecordCount_ = U32(d + 4);
    file->headerLength_ = U16(d + 8);
    file->recordLength_ = U16(d + 10);
    const std::uint32_t hl = file->headerLength_;
    if (hl < kFixedHeader + 1) {
        error = NamesOpenError::BadHeaderLength;
        return nullptr;
    }
    if (hl > head.size()) {
        error = NamesOpenError::TruncatedHeader;
        return nullptr;
    }
    // The descriptors fill the header up to its length; the end mark after
    // them is optional (some writers leave it out), but where there is one
    // it ends the list early, so headers with extra bytes after the mark
    // read too.
    std::uint32_t at = kFixedHeader;
    while (at + kDescriptorSize <= hl && d[at] != kTerminator) {
        const unsigned char* desc = d + at;
        NamesField f;
        f.name.assign(reinterpret_cast<const char*>(desc), strnlen(reinterpret_cast<const char*>(desc), 11));
        f.type = static_cast<char>(desc[11]);
        f.length = desc[16];
        file->fields_.push_back(std::move(f));
        at += kDescriptorSize;
    }
    if (at >= hl || d[at] != kTerminator) {
        // No end mark inside the header. When one follows further on, at a
        // descriptor's place, the header length is too short for the list
        // and the records would be read from the middle of the descriptors.
        for (std::size_t p = at; p < head.size() && p < at + kMismatchSearch; p += kDescriptorSize)
            if (d[p] == kTerminator) {
                error = NamesOpenError::HeaderMismatch;
                return nullptr;
            }
    }
    if (file->fields_.empty()) {
        error = NamesOpenError::NoFields;
        return nullptr;
    }
    if (file->recordLength_ == 0) {
        error = NamesOpenError::ZeroRecordLength;
        return nullptr;
    }
    std::uint32_t offset = 1;  // byte 0 is the deletion flag
    for (NamesField& f : file->fields_) {
        f.offset = offset;
        offset += f.length;
    }
    if (offset > file->recordLength_) {
        error = NamesOpenError::FieldsPastRecord;
        return nullptr;
    }
    const std::uint64_t present = (file->size_ - hl) / file->recordLength_;
    file->recordCount_ = file->headerRecordCount_;
    if (present < file->headerRecordCount_) {
        file->recordCount_ = static_cast<std::uint32_t>(present);
        if (truncated) *truncated = true;
    }
    auto& r = file->roles_;
    r.name = FindRole(file->fields_, "NAME", 0);
    r.code = FindRole(file->fields_, "FULL_CODE", 1);
    r.lat = FindRole(file->fields_, "LATITUDE", 3);
    r.lon = FindRole(file->fields_, "LONGITUDE", 4);
    error = NamesOpenError::None;
    return file;
}

std::uint32_t NamesFile::ReadRecords(std::uint32_t first, std::uint32_t count,
                                     unsigned char* out) const {
    if (first >= recordCount_) return 0;
    count = std::min(count, recordCount_ - first);
    const std::size_t bytes = std::size_t(count) * recordLength_;
    const std::uint64_t at = headerLength_ + std::uint64_t(first) * recordLength_;
    return static_cast<std::uint32_t>(ReadAt(fd_, out, bytes, at) / recordLength_);
}

bool NamesFile::ChangedOnDisk() const {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return true;
    if (static_cast<std::uint64_t>(st.st_size) != size_ || st.st_mtim.tv_sec != mtimeSec_ ||
        st.st_mtim.tv_nsec != mtimeNsec_)
        return true;
    if (::stat(path_.c_str(), &st) != 0) return false;
    return static_cast<std::uint64_t>(st.st_dev) != device_ ||
           static_cast<std::uint64_t>(st.st_ino) != inode_;
}

std::string_view NamesFile::Field(const unsigned char* record, int field) const {
    if (!record || field < 0 || field >= static_cast<int>(fields_.size())) return {};
    const NamesField& f = fields_[field];
    return {reinterpret_cast<const char*>(record) + f.offset, f.length};
}

std::string NamesFile::FieldText(const unsigned char* record, int field) const {
    std::string_view raw = Field(record, field);
    if (raw.size() > kNameFieldMax) raw = raw.substr(0, kNameFieldMax);
    return std::string(TrimField(raw));
}

bool NamesFile::ReadRecord(std::uint32_t index, NameRecord& out) const {
    out = NameRecord{};
    if (index >= recordCount_) return false;
    // Records are at most 65535 bytes; most are under a hundred.
    unsigned char small[512];
    std::vector<unsigned char> large;
    unsigned char* rec = small;
    if (recordLength_ > sizeof small) {
        large.resize(recordLength_);
        rec = large.data();
    }
    if (ReadRecords(index, 1, rec) != 1) return false;
    out = {FieldText(rec, roles_.name), FieldText(rec, roles_.code), FieldText(rec, roles_.lat),
           FieldText(rec, roles_.lon)};
    return true;
}

std::shared_ptr<const std::vector<std::string>> NamesFile::ProbeNames(std::uint32_t step) const {
    std::lock_guard lock(probeMutex_);
    if (probeNames_ && probeStep_ == step) return probeNames_;
    auto names = std::make_shared<std::vector<std::string>>();
    std::vector<unsigned char> rec(recordLength_);
    for (std::uint64_t r = 0; step > 0 && r < recordCount_; r += step) {
        if (ReadRecords(static_cast<std::uint32_t>(r), 1, rec.data()) != 1) break;
        // Trimmed first and then cut, as the search compares names.
        std::string_view name = TrimField(Field(rec.data(), roles_.name));
        names->emplace_back(name.substr(0, std::min(name.size(), kNameFieldMax)));
    }
    probeStep_ = step;
    probeNames_ = std::move(names);
    return probeNames_;
}

NameRecord NamesFile::Read(std::uint32_t index) const {
    NameRecord r;
    ReadRecord(index, r);
    return r;
}

const NameRecord& NameRecordReader::Read(std::uint32_t index) {
    if (cached_ == index) return record_;
    record_ = NameRecord{};
    if (!file_ || changed_) return record_;
    if (file_->ChangedOnDisk()) {
        changed_ = true;
        cached_.reset();
        return record_;
    }
    ++reads_;
    // A read cut short by a file that shrank since the check.
    if (!file_->ReadRecord(index, record_) && index < file_->RecordCount()) {
        changed_ = true;
        cached_.reset();
        return record_;
    }
    cached_ = index;
    return record_;
}

std::string UpperName(std::string_view text) {
    std::string out(text);
    auto* p = reinterpret_cast<unsigned char*>(out.data());
    const auto* src = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < out.size(); ++i) p[i] = UpperByteAt(src, i);
    return out;
}

}  // namespace mw
