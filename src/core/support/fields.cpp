#include "support/fields.h"

namespace mw {

namespace {

std::string_view TrimLeftView(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

std::string_view TrimRightView(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string_view TrimView(std::string_view text) { return TrimLeftView(TrimRightView(text)); }

std::string_view SeparatedFieldView(std::string_view line, int n, std::string_view fallback,
                                    char sep) {
    bool restOfLine = false;
    if (n > 100) {
        restOfLine = true;
        n -= 100;
    }
    if (n <= 0) return fallback;
    for (int i = 1; i < n; ++i) {
        const auto pos = line.find(sep);
        if (pos == std::string_view::npos) return fallback;  // fewer than n fields
        line.remove_prefix(pos + 1);
    }
    std::size_t p = restOfLine ? line.size() : line.find(sep);
    if (p == std::string_view::npos) p = line.size();
    if (p == 0) return fallback;
    return TrimView(line.substr(0, p));
}

}  // namespace

std::string GetField(std::string_view line, int n, std::string_view fallback) {
    return std::string(SeparatedFieldView(line, n, fallback, ','));
}

std::string_view GetFieldView(std::string_view line, int n, std::string_view fallback) {
    return SeparatedFieldView(line, n, fallback, ',');
}

std::string GetTabField(std::string_view line, int n, std::string_view fallback) {
    return std::string(SeparatedFieldView(line, n, fallback, '\t'));
}

std::string SplitFieldTable::Get(int i, std::string_view fallback) const {
    if (!Has(i)) return std::string(fallback);
    return *slots_[i];
}

SplitFieldTable SplitFields(std::string_view line) {
    SplitFieldTable table;
    int slot = 1;
    std::size_t start = 0;
    auto store = [&](std::size_t end) {
        std::string field = Trim(line.substr(start, end - start));
        if (!field.empty()) table.slots_[slot] = std::move(field);
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ',') continue;
        store(i);
        start = i + 1;
        if (++slot > SplitFieldTable::kSlots) return table;
    }
    store(line.size());
    return table;
}

std::string TrimLeft(std::string_view text) { return std::string(TrimLeftView(text)); }

std::string TrimRight(std::string_view text) { return std::string(TrimRightView(text)); }

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string DeleteFront(std::string_view text, int count) {
    if (count <= 0) return std::string(text);
    if (static_cast<std::size_t>(count) >= text.size()) return {};
    return std::string(text.substr(count));
}

std::string Left(std::string_view text, int count) {
    if (count <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

int FindText(std::string_view needle, std::string_view haystack) {
    auto pos = haystack.find(needle);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

bool IsBlank(std::string_view text) { return Trim(text).empty(); }

}  // namespace mw
