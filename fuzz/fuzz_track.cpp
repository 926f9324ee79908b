// Track point files (.plt), loaded into the track ring, which is then saved
// again the way "Save Track File" does.
#include "fuzz_support.h"
#include "geo/datums.h"
#include "track/track_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    const std::string path = mwfuzz::WriteInput("track.plt", data, size);
    mw::TrackStore track;
    const int mapDatum = size ? data[0] % mw::kBuiltinDatumCount : mw::kDatumWgs84;
    if (mw::LoadTrackFile(track, path, datums, mapDatum)) {
        (void)mw::SaveTrackFile(track, mwfuzz::Folder() + "/saved.plt", datums, mapDatum);
    }
    return 0;
}
