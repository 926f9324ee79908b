#include "names/names_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
    case NamesOpenError::NoTerminator: return "The Names File Field List has no End Mark";
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
    if (data_) munmap(const_cast<unsigned char*>(data_), size_);
}

std::shared_ptr<const NamesFile> NamesFile::Open(const std::string& path, NamesOpenError& error,
                                                 bool* truncated) {
    if (truncated) *truncated = false;
    error = NamesOpenError::CannotOpen;
    // Non-blocking: a FIFO without a writer must not hold the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::shared_ptr<NamesFile> file(new NamesFile);
    file->path_ = path;
    file->size_ = static_cast<std::uint64_t>(st.st_size);
    if (file->size_ < kFixedHeader) {
        ::close(fd);
        error = NamesOpenError::TruncatedHeader;
        return nullptr;
    }
    void* map = mmap(nullptr, file->size_, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return nullptr;
    file->data_ = static_cast<const unsigned char*>(map);
    const unsigned char* d = file->data_;

    file->headerRecordCount_ = U32(d + 4);
    file->headerLength_ = U16(d + 8);
    file->recordLength_ = U16(d + 10);
    const std::uint32_t hl = file->headerLength_;
    if (hl < kFixedHeader + 1) {
        error = NamesOpenError::BadHeaderLength;
        return nullptr;
    }
    if (hl > file->size_) {
        error = NamesOpenError::TruncatedHeader;
        return nullptr;
    }
    // The descriptors run until the terminator byte, which must lie inside
    // the header. Walking to it (rather than deriving the count from the
    // header length) also reads tables whose header carries extra bytes after
    // the terminator.
    std::uint32_t at = kFixedHeader;
    while (at < hl && d[at] != kTerminator) {
        if (at + kDescriptorSize > hl) {
            // A descriptor cut by the header length: the header length is too
            // short when the end mark follows further on, else the mark is missing.
            error = NamesOpenError::NoTerminator;
            for (std::uint64_t p = at; p < file->size_ && p < at + 64u * 1024; p += kDescriptorSize)
                if (d[p] == kTerminator) {
                    error = NamesOpenError::HeaderMismatch;
                    break;
                }
            return nullptr;
        }
        const unsigned char* desc = d + at;
        NamesField f;
        f.name.assign(reinterpret_cast<const char*>(desc), strnlen(reinterpret_cast<const char*>(desc), 11));
        f.type = static_cast<char>(desc[11]);
        f.length = desc[16];
        file->fields_.push_back(std::move(f));
        at += kDescriptorSize;
    }
    if (at >= hl) {
        error = NamesOpenError::NoTerminator;
        return nullptr;
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

std::string_view NamesFile::RawField(std::uint32_t index, int field) const {
    const unsigned char* rec = RecordBytes(index);
    if (!rec || field < 0 || field >= static_cast<int>(fields_.size())) return {};
    const NamesField& f = fields_[field];
    return {reinterpret_cast<const char*>(rec) + f.offset, f.length};
}

std::string NamesFile::FieldText(std::uint32_t index, int field) const {
    std::string_view raw = RawField(index, field);
    if (raw.size() > kNameFieldMax) raw = raw.substr(0, kNameFieldMax);
    return std::string(TrimField(raw));
}

NameRecord NamesFile::Read(std::uint32_t index) const {
    return {FieldText(index, roles_.name), FieldText(index, roles_.code),
            FieldText(index, roles_.lat), FieldText(index, roles_.lon)};
}

const NameRecord& NameRecordReader::Read(std::uint32_t index) {
    if (cached_ == index) return record_;
    cached_ = index;
    ++reads_;
    record_ = file_ ? file_->Read(index) : NameRecord{};
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
