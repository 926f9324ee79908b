// Waypoint files (.wpt), read into the store and saved again.
#include "fuzz_support.h"
#include "geo/datums.h"
#include "waypoint/waypoint_file.h"
#include "waypoint/waypoint_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    const std::string path = mwfuzz::WriteInput("points.wpt", data, size);
    mw::WaypointStore store;
    const int mapDatum = size ? data[0] % mw::kBuiltinDatumCount : mw::kDatumWgs84;
    if (mw::ReadWaypointFile(store, path, datums, mapDatum)) {
        (void)mw::SaveWaypointFile(store, mwfuzz::Folder() + "/saved.wpt", datums, mapDatum);
    }
    return 0;
}
