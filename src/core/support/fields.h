// Comma- and tab-separated fields and the trims the file formats read them with.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace mw {

// Field `n` (1-based) of a comma-separated line, trimmed of spaces, or
// `fallback` when the line has fewer than `n` fields or the field is empty.
// A field of spaces gives an empty text, not the fallback. With `n` > 100 the
// rest-of-line mode is on: field `n` − 100 and everything after it, commas
// included, trimmed.
std::string GetField(std::string_view line, int n, std::string_view fallback);
// The same with the tab character as separator.
std::string GetTabField(std::string_view line, int n, std::string_view fallback);
// GetField without a copy: a view into `line`, or `fallback` itself.
std::string_view GetFieldView(std::string_view line, int n, std::string_view fallback);

// The fields of one line split at commas: slots 1..50, each empty or holding
// one trimmed, non-empty field. A line with 50 or more commas fills at most
// slots 1..50; the text after the 50th comma is lost.
class SplitFieldTable {
public:
    static constexpr int kSlots = 50;
    // Slot `i`, or `fallback` when `i` is outside 1..50 or the slot is empty.
    std::string Get(int i, std::string_view fallback) const;
    bool Has(int i) const { return i >= 1 && i <= kSlots && slots_[i].has_value(); }

private:
    friend SplitFieldTable SplitFields(std::string_view line);
    std::array<std::optional<std::string>, kSlots + 1> slots_;
};
SplitFieldTable SplitFields(std::string_view line);

std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);
std::string DeleteFront(std::string_view text, int count);
std::string Left(std::string_view text, int count);
// 1-based position of the first occurrence of `needle` in `haystack`, 0 when
// absent (an empty needle is found at 1).
int FindText(std::string_view needle, std::string_view haystack);
bool IsBlank(std::string_view text);

}  // namespace mw
