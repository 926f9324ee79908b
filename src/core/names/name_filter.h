// Filtering a gazetteer by name, feature code and map border.
//
// The search works in steps of a bounded number of records so that it can
// run on a worker thread, report its progress and stop between two steps;
// NameFilterJob is that worker. Matches are record numbers: the list reads
// the records it shows from the file, so a result costs four bytes. Records
// are read a block at a time into a buffer of the filter's own.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "names/names_file.h"
#include "names/names_types.h"

namespace mw {

inline constexpr std::size_t kMaxNameResults = 5000;
// The prefix search probes a name-sorted file every this many records.
inline constexpr std::uint32_t kNameProbeStep = 500;

struct NameQuery {
    // Upper case, as the dialog's edit gives it; empty matches every name.
    std::string text;
    // A feature code compared exactly, or "All Codes".
    std::string code = kAllCodesText;
    // "L": names beginning with the text, on a file sorted by name; else the
    // text anywhere in the name.
    bool prefix = true;
    // "M": the map border in the names datum (degrees); empty: no border test.
    std::vector<double> borderLat, borderLon;
};

enum class NameFilterEnd {
    Running,
    EndOfFile,   // every record from the start was examined
    PastPrefix,  // the sorted names passed the text
    Full,        // kMaxNameResults matches
    Stopped,     // Stop() was called
    FileChanged, // the file changed on disk under the search (see
                 // NamesFile::ChangedOnDisk); the matches so far are kept
};

class NameFilter {
public:
    NameFilter(std::shared_ptr<const NamesFile> file, NameQuery query);

    // Examines up to `budget` more records; true once the search has ended.
    bool Step(std::uint32_t budget);
    void Stop();
    bool Done() const { return end_ != NameFilterEnd::Running; }
    NameFilterEnd End() const { return end_; }
    // The first record the scan examined and the next one it would.
    std::uint32_t StartRecord() const { return start_; }
    std::uint32_t Position() const { return position_; }
    const std::vector<std::uint32_t>& Matches() const { return matches_; }
    std::vector<std::uint32_t> TakeMatches() { return std::move(matches_); }

    // Records whose bytes were looked at, probes included.
    std::uint64_t RecordReads() const { return reads_; }
    // Tests: every record read is appended to `log`, probes first. Tracing
    // also turns off the block scan of the anywhere search (which examines
    // records in bulk), as does `blockScan` = false.
    void TraceReads(std::vector<std::uint32_t>* log) { trace_ = log; }
    void SetBlockScan(bool on) { blockScan_ = on; }

private:
    void Probe();
    // Examines record `r`, whose bytes are `rec`: false once the search has
    // ended on it.
    bool Examine(std::uint32_t r, const unsigned char* rec);
    bool OtherFiltersPass(const unsigned char* rec) const;
    // The anywhere search over `count` records from position_ held in the
    // block buffer.
    void ScanBlock(std::uint32_t count);
    // Reads up to `count` records from position_ into the block buffer; how
    // many. Fewer (or a changed stamp) ends the search as FileChanged.
    std::uint32_t Fill(std::uint32_t count);
    void Note(std::uint32_t r);

    std::shared_ptr<const NamesFile> file_;
    NameQuery query_;
    bool allCodes_ = true;
    bool blockScan_ = true;
    std::vector<std::uint32_t>* trace_ = nullptr;
    std::uint32_t start_ = 0, position_ = 0;
    bool probed_ = false;
    NameFilterEnd end_ = NameFilterEnd::Running;
    std::vector<std::uint32_t> matches_;
    std::uint64_t reads_ = 0;
    // Records read from the file a block at a time, with room after the
    // last one for the 16-byte loads of the block scan.
    std::vector<unsigned char> block_;
};

// The whole search on the calling thread.
std::vector<std::uint32_t> FilterNames(std::shared_ptr<const NamesFile> file,
                                       const NameQuery& query,
                                       NameFilterEnd* end = nullptr);

// "%d of %d (%d%%)": the record reached, the record count and the share done.
std::string NameFilterProgressText(std::uint32_t record, std::uint32_t count);

// A search on its own thread. The owner polls Progress() and Finished() from
// its thread and collects the matches with Take(); Stop() ends the search
// within one step (a few milliseconds). The destructor stops and joins.
class NameFilterJob {
public:
    // Records examined between two looks at the stop flag.
    static constexpr std::uint32_t kStepRecords = 16384;

    NameFilterJob(std::shared_ptr<const NamesFile> file, NameQuery query);
    ~NameFilterJob();
    NameFilterJob(const NameFilterJob&) = delete;
    NameFilterJob& operator=(const NameFilterJob&) = delete;

    std::uint32_t Progress() const { return position_.load(std::memory_order_relaxed); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    void Stop() { stop_.store(true, std::memory_order_relaxed); }
    // Waits for the thread; the matches and how the search ended.
    std::vector<std::uint32_t> Take(NameFilterEnd* end = nullptr);

private:
    NameFilter filter_;
    std::atomic<std::uint32_t> position_{0};
    std::atomic<bool> stop_{false}, finished_{false};
    std::thread thread_;
};

}  // namespace mw
