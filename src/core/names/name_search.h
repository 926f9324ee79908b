// The state of the name search as the application keeps it: the open
// gazetteer, its side file, the running or finished filter, and what the
// dialog's buttons do with a chosen place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geo/datums.h"
#include "names/name_filter.h"
#include "names/names_file.h"
#include "names/names_types.h"

namespace mw {

// What "Map", "Wp" and "Gt" do with a place, the position already on the
// loaded map's datum. Other parts of the program plug in here; an empty
// function means the application's fallback (see name_commands.h).
struct NameSearchActions {
    std::function<void(double lat, double lon)> showOnMap;
    // `name` is the place name upper-cased.
    std::function<void(double lat, double lon, const std::string& name)> createWaypoint;
    std::function<void(double lat, double lon, const std::string& name)> goTo;
};

struct NameSearchStore {
    std::shared_ptr<const NamesFile> file;
    NamesTypes types;
    // The datum of the gazetteer's coordinates. A file without a DATUM line
    // keeps the previous value; at start "Auto Shift ....." (WGS 84 unshifted).
    int namesDatum = kDatumAutoShift;
    // The file's name, shown in the caption.
    std::string title;
    // The list shows `matches` rather than every record.
    bool filtered = false;
    // The last filter was stopped by the user.
    bool stopped = false;
    std::vector<std::uint32_t> matches;
    // The filter running now, if any.
    std::unique_ptr<NameFilterJob> job;
    // Reads the list's rows from `file` (made on the first row read).
    std::unique_ptr<NameRecordReader> reader;
    // Counts the files taken and closed: a list that saw another value
    // shows rows of a file that is gone.
    std::uint64_t generation = 0;
    NameSearchActions actions;
};

}  // namespace mw
