#include "names/name_filter.h"

#include <cstring>

#include "geo/distance.h"
#include "support/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mw {

namespace {

// Bytes of records read per block: large enough that a read costs little
// beside the scan, small enough to stay in the cache.
constexpr std::size_t kBlockBytes = 256 * 1024;
// Slack after the block for loads that reach past the last record.
constexpr std::size_t kBlockSlack = 16;

const unsigned char* Bytes(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// The upper-cased name against the text over the text's length, as a
// wide-character comparison of two terminated strings would order them: a
// name shorter than the text ends with a character below every other.
int ComparePrefix(std::string_view name, std::string_view text) {
    const unsigned char* n = Bytes(name);
    const unsigned char* t = Bytes(text);
    for (std::size_t k = 0; k < text.size(); ++k) {
        unsigned a = k < name.size() ? UpperByteAt(n, k) : 0;
        unsigned b = t[k];
        if (a != b) return a < b ? -1 : 1;
    }
    return 0;
}

// Whether the upper-cased `name` holds `text` at byte `i`.
bool MatchesAt(const unsigned char* name, std::size_t i, std::string_view text) {
    const unsigned char* t = Bytes(text);
    for (std::size_t k = 0; k < text.size(); ++k)
        if (UpperByteAt(name, i + k) != t[k]) return false;
    return true;
}

bool ContainsUpper(std::string_view name, std::string_view text) {
    if (text.size() > name.size()) return false;
    const unsigned char* n = Bytes(name);
    const unsigned char first = static_cast<unsigned char>(text[0]) | 0x20;
    for (std::size_t i = 0; i + text.size() <= name.size(); ++i)
        if ((n[i] | 0x20) == first && MatchesAt(n, i, text)) return true;
    return false;
}

}  // namespace

NameFilter::NameFilter(std::shared_ptr<const NamesFile> file, NameQuery query)
    : file_(std::move(file)), query_(std::move(query)) {
    allCodes_ = query_.code == kAllCodesText;
    if (query_.borderLat.size() != query_.borderLon.size()) {
        query_.borderLat.clear();
        query_.borderLon.clear();
    }
    if (!file_) end_ = NameFilterEnd::EndOfFile;
}

void NameFilter::Note(std::uint32_t r) {
    ++reads_;
    if (trace_) trace_->push_back(r);
}

// A file sorted by name is entered near the text: every 500th record is
// probed until one reaches the text, and the scan starts one step before it.
void NameFilter::Probe() {
    probed_ = true;
    if (!query_.prefix || query_.text.empty()) return;
    const std::uint32_t count = file_->RecordCount();
    const auto names = file_->ProbeNames(kNameProbeStep);
    std::uint32_t last = 0;
    std::size_t k = 0;
    for (std::uint64_t r = 0; r < count; r += kNameProbeStep, ++k) {
        const auto index = static_cast<std::uint32_t>(r);
        Note(index);
        if (k >= names->size()) {  // cut short by a file that shrank
            end_ = NameFilterEnd::FileChanged;
            return;
        }
        if (ComparePrefix((*names)[k], query_.text) >= 0) {
            start_ = position_ = index >= kNameProbeStep ? index - kNameProbeStep : 0;
            return;
        }
        last = index;
    }
    start_ = position_ = last;
}

bool NameFilter::OtherFiltersPass(const unsigned char* rec) const {
    const NamesRoles& roles = file_->Roles();
    if (!allCodes_ && TrimField(file_->Field(rec, roles.code)) != query_.code) return false;
    if (!query_.borderLat.empty()) {
        double lat = ParseReal(TrimField(file_->Field(rec, roles.lat)));
        double lon = ParseReal(TrimField(file_->Field(rec, roles.lon)));
        if (!PointInBorder(static_cast<int>(query_.borderLat.size()), lon, lat,
                           query_.borderLat.data(), query_.borderLon.data()))
            return false;
    }
    return true;
}

bool NameFilter::Examine(std::uint32_t r, const unsigned char* rec) {
    Note(r);
    if (!query_.text.empty()) {
        std::string_view name = TrimField(file_->Field(rec, file_->Roles().name));
        if (name.size() > kNameFieldMax) name = name.substr(0, kNameFieldMax);
        if (query_.prefix) {
            int order = ComparePrefix(name, query_.text);
            if (order > 0) {
                end_ = NameFilterEnd::PastPrefix;
                return false;
            }
            if (order != 0) return true;
        } else if (!ContainsUpper(name, query_.text)) {
            return true;
        }
    }
    if (!OtherFiltersPass(rec)) return true;
    matches_.push_back(r);
    if (matches_.size() >= kMaxNameResults) {
        end_ = NameFilterEnd::Full;
        return false;
    }
    return true;
}

// The anywhere search over the `count` records from position_ in the block
// buffer, without building a text per record: the name field is searched in place, sixteen positions at a
// time, for bytes that equal the text's first and last byte once bit 5 is
// ignored (upper-casing only ever clears that bit, so no match is missed);
// only those candidates are compared exactly.
void NameFilter::ScanBlock(std::uint32_t count) {
    const std::uint32_t end = position_ + count;
    const std::string& text = query_.text;
    const std::size_t m = text.size();
    const int nameField = file_->Roles().name;
    reads_ += end - position_;
    if (nameField < 0) {  // no name field: every name is empty
        position_ = end;
        return;
    }
    const NamesField& field = file_->Fields()[nameField];
    const std::size_t len = std::min<std::size_t>(field.length, kNameFieldMax);
    if (m > len) {
        position_ = end;
        return;
    }
    const std::size_t recordLength = file_->RecordLength();
    const unsigned char* blockEnd = block_.data() + block_.size();
    const unsigned char first = static_cast<unsigned char>(text[0]) | 0x20;
    const unsigned char lastByte = static_cast<unsigned char>(text[m - 1]) | 0x20;
    const std::size_t positions = len - m + 1;
    for (std::uint32_t r = position_; r < end; ++r) {
        const unsigned char* rec = block_.data() + std::size_t(r - position_) * recordLength;
        const unsigned char* name = rec + field.offset;
        bool found = false;
        std::size_t i = 0;
#if defined(__SSE2__)
        const __m128i fold = _mm_set1_epi8(0x20);
        const __m128i vf = _mm_set1_epi8(static_cast<char>(first));
        const __m128i vl = _mm_set1_epi8(static_cast<char>(lastByte));
        // Loads may reach past the field into the rest of the record, the
        // next one or the slack after the block, never past the buffer.
        for (; i < positions && name + i + m - 1 + 16 <= blockEnd && !found; i += 16) {
            __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(name + i)), fold);
            __m128i b = _mm_or_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(name + i + m - 1)), fold);
            unsigned mask = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, vf), _mm_cmpeq_epi8(b, vl))));
            if (positions - i < 16) mask &= (1u << (positions - i)) - 1;
            while (mask) {
                unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
                if (MatchesAt(name, i + bit, text)) {
                    found = true;
                    break;
                }
                mask &= mask - 1;
            }
        }
#endif
        for (; i < positions && !found; ++i)
            if ((name[i] | 0x20) == first && MatchesAt(name, i, text)) found = true;
        if (!found || !OtherFiltersPass(rec)) continue;
        matches_.push_back(r);
        if (matches_.size() >= kMaxNameResults) {
            end_ = NameFilterEnd::Full;
            position_ = r + 1;
            return;
        }
    }
    position_ = end;
}

std::uint32_t NameFilter::Fill(std::uint32_t count) {
    const std::size_t recordLength = file_->RecordLength();
    count = static_cast<std::uint32_t>(
        std::min<std::size_t>(count, std::max<std::size_t>(1, kBlockBytes / recordLength)));
    const std::size_t need = count * recordLength + kBlockSlack;
    if (block_.size() < need) block_.resize(need);
    const std::uint32_t got = file_->ReadRecords(position_, count, block_.data());
    // The slack reads as blanks, like padding, for the loads that reach it.
    std::memset(block_.data() + std::size_t(got) * recordLength, ' ', kBlockSlack);
    if (got < count) end_ = NameFilterEnd::FileChanged;
    return got;
}

bool NameFilter::Step(std::uint32_t budget) {
    if (Done()) return true;
    // A file rewritten under the search: its records are no longer those
    // the header promised.
    if (file_->ChangedOnDisk()) {
        end_ = NameFilterEnd::FileChanged;
        return true;
    }
    if (!probed_) Probe();
    if (Done()) return true;
    const std::uint32_t count = file_->RecordCount();
    const std::uint32_t end =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count, std::uint64_t(position_) + budget));
    const std::string& text = query_.text;
    // Searched in place only when the raw field and the trimmed name agree:
    // a text with blanks at its ends could match the padding.
    const bool block = blockScan_ && !trace_ && !query_.prefix && !text.empty() &&
                       !IsFieldBlank(static_cast<unsigned char>(text.front())) &&
                       !IsFieldBlank(static_cast<unsigned char>(text.back()));
    const std::size_t recordLength = file_->RecordLength();
    while (position_ < end && !Done()) {
        const std::uint32_t got = Fill(end - position_);
        if (block) {
            ScanBlock(got);
        } else {
            for (std::uint32_t k = 0; k < got; ++k) {
                const std::uint32_t r = position_++;
                if (!Examine(r, block_.data() + k * recordLength)) return true;
            }
        }
    }
    if (!Done() && position_ >= count) end_ = NameFilterEnd::EndOfFile;
    return Done();
}

void NameFilter::Stop() {
    if (!Done()) end_ = NameFilterEnd::Stopped;
}

std::vector<std::uint32_t> FilterNames(std::shared_ptr<const NamesFile> file,
                                       const NameQuery& query, NameFilterEnd* end) {
    NameFilter filter(std::move(file), query);
    while (!filter.Step(1u << 20)) {
    }
    if (end) *end = filter.End();
    return filter.TakeMatches();
}

std::string NameFilterProgressText(std::uint32_t record, std::uint32_t count) {
    const int percent = count ? static_cast<int>(std::uint64_t(record) * 100 / count) : 100;
    return Format("%u of %u (%d%%)", record, count, percent);
}

NameFilterJob::NameFilterJob(std::shared_ptr<const NamesFile> file, NameQuery query)
    : filter_(std::move(file), std::move(query)) {
    thread_ = std::thread([this] {
        while (!filter_.Step(kStepRecords)) {
            position_.store(filter_.Position(), std::memory_order_relaxed);
            if (stop_.load(std::memory_order_relaxed)) filter_.Stop();
        }
        position_.store(filter_.Position(), std::memory_order_relaxed);
        finished_.store(true, std::memory_order_release);
    });
}

NameFilterJob::~NameFilterJob() {
    Stop();
    if (thread_.joinable()) thread_.join();
}

std::vector<std::uint32_t> NameFilterJob::Take(NameFilterEnd* end) {
    if (thread_.joinable()) thread_.join();
    if (end) *end = filter_.End();
    return filter_.TakeMatches();
}

}  // namespace mw
