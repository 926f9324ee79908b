#include "nav/alarms.h"

#include <sys/stat.h>

#include <array>
#include <cmath>
#include <cstdio>

#include "config/settings.h"

namespace mw {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (Lower(text[i]) != Lower(suffix[i])) return false;
    return true;
}

std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

// Names the desktop would run rather than show: programs, scripts, launchers
// and installers of the common desktops.
constexpr std::array<std::string_view, 22> kProgramSuffixes = {
    ".desktop", ".sh",  ".bash", ".csh", ".zsh", ".ksh", ".py",  ".pl",
    ".rb",      ".exe", ".com",  ".bat", ".cmd", ".msi", ".jar", ".appimage",
    ".run",     ".bin", ".lnk",  ".scr", ".vbs", ".ps1"};

}  // namespace

SpeedLimits SpeedLimitsFrom(const AppSettings& s) {
    return SpeedLimits{s.minSpeed,
                       s.setSpeed,
                       s.maxSpeed,
                       s.minSpeedActive == 1,
                       s.setSpeedActive == 1,
                       s.maxSpeedActive == 1};
}

SpeedAlarms CheckSpeedLimits(SpeedAlarmFlags& flags, const SpeedLimits& limits, double speed) {
    SpeedAlarms out;
    if (speed < limits.minSpeed && limits.minActive && !flags.minDone) {
        flags.minDone = true;
        out.min = true;
    }
    if (speed > limits.setSpeed) flags.minDone = false;

    // Both branches compare, so a NaN reading re-arms nothing.
    if (speed > limits.setSpeed) {
        if (limits.setActive && !flags.setDone) {
            flags.setDone = true;
            out.set = true;
        }
    } else if (speed <= limits.setSpeed) {
        flags.setDone = false;
    }

    if (speed > limits.maxSpeed) {
        if (limits.maxActive && !flags.maxDone) {
            flags.maxDone = true;
            out.max = true;
        }
    } else if (speed <= limits.maxSpeed) {
        flags.maxDone = false;
    }
    return out;
}

PopupPlace PlaceAlarmPopup(int position, int width, int height, int centreX, int centreY) {
    const int halfW = width / 2, halfH = height / 2;
    const int leftOf = centreX - width - kPopupGap, rightOf = centreX + kPopupGap;
    const int above = centreY - height - kPopupGap, below = centreY + kPopupGap;
    switch (position) {
        case 0: return {leftOf, above};
        case 1: return {centreX - halfW, above};
        case 2: return {rightOf, above};
        case 3: return {rightOf, centreY - halfH};
        case 4: return {rightOf, below};
        case 5: return {centreX - halfW, below};
        case 6: return {leftOf, below};
        case 7: return {leftOf, centreY - halfH};
        default: return kPopupFallbackPlace;
    }
}

AlarmSoundField ParseAlarmSoundField(std::string_view field) {
    if (!field.empty() && field.front() == '*') field.remove_prefix(1);
    if (auto slash = field.rfind('\\'); slash != std::string_view::npos)
        field.remove_prefix(slash + 1);
    AlarmSoundField out;
    if (auto at = field.find('/', 1); at != std::string_view::npos && !field.empty()) {
        out.fileName = std::string(field.substr(0, at));
        out.parameter = std::string(field.substr(at + 1));
    } else {
        out.fileName = std::string(field);
    }
    return out;
}

std::string AlarmPictureName(std::string_view field) {
    if (auto slash = field.find_last_of("\\/"); slash != std::string_view::npos)
        field.remove_prefix(slash + 1);
    return std::string(field);
}

bool IsWaveFileName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = Lower(c);
    return lower.find(".wav") != std::string::npos;
}

int AlarmDisplayMs(double seconds) {
    if (std::isnan(seconds)) return kDefaultAlarmMs;
    const double ms = seconds * 1000.0;
    if (ms < kMinAlarmMs) return kMinAlarmMs;
    if (ms > kMaxAlarmMs) return kMaxAlarmMs;
    return static_cast<int>(std::lround(ms));
}

bool IsProgramFile(const std::string& path) {
    for (std::string_view suffix : kProgramSuffixes)
        if (EndsWithNoCase(path, suffix)) return true;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;
    if (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) return true;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return true;
    char head[4] = {};
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    const std::string_view start(head, n);
    return start.starts_with("#!") || start.starts_with("\x7f" "ELF") || start.starts_with("MZ");
}

std::optional<int> WavDurationMs(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return std::nullopt;
    std::uint32_t byteRate = 0;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string_view id = bytes.substr(at, 4);
        const std::uint32_t size = LittleEndian(bytes, at + 4, 4);
        if (id == "fmt " && at + 8 + 12 <= bytes.size()) byteRate = LittleEndian(bytes, at + 16, 4);
        if (id == "data") {
            if (byteRate == 0) return std::nullopt;
            return static_cast<int>(static_cast<std::uint64_t>(size) * 1000 / byteRate);
        }
        // Chunks are padded to an even size.
        const std::uint64_t next = static_cast<std::uint64_t>(at) + 8 + size + (size & 1);
        if (next > bytes.size()) break;
        at = static_cast<std::size_t>(next);
    }
    return std::nullopt;
}

bool IsPlayableWaveFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // Headers with a few extra chunks before the data fit in 4 KiB.
    char head[4096];
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return WavDurationMs(std::string_view(head, n)).has_value();
}

const char* AlarmEventName(AlarmEventKind kind) {
    switch (kind) {
        case AlarmEventKind::SpeedMin: return "speed-min";
        case AlarmEventKind::SpeedSet: return "speed-set";
        case AlarmEventKind::SpeedMax: return "speed-max";
        case AlarmEventKind::Proximity: return "proximity";
        case AlarmEventKind::AlarmEnd: return "alarm-end";
        case AlarmEventKind::Document: return "document";
    }
    return "?";
}

}  // namespace mw
