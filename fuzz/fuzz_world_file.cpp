// World files and .prj files beside a raster: read from disk with their byte
// budget, parsed, and the .prj text matched to the program's projections and
// datums as the map import does.
#include "fuzz_support.h"
#include "geo/datums.h"
#include "raster/crs_mapping.h"
#include "raster/world_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mwfuzz::WriteInput("scan.tfw", data, size);
    std::string reason;
    if (auto text = mw::ReadSmallFile(path, mw::kMaxWorldFileBytes, &reason)) {
        if (auto gt = mw::ParseWorldFile(*text, &reason)) {
            (void)gt->X(1e9, -1e9);
            (void)gt->Invertible();
        }
    }
    (void)mw::WorldFileCandidates(std::string(reinterpret_cast<const char*>(data), size));
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (auto prj = mw::CleanPrjText(raw, &reason)) {
        static const mw::DatumTable datums;
        (void)mw::MatchCoordinateSystem(*prj, datums);
    }
    return 0;
}
