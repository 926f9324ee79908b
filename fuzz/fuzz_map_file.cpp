// Calibration files (.map): the parser over the whole text, then the
// helpers that read single lines.
#include <string_view>

#include "fuzz_support.h"
#include "geo/datums.h"
#include "map/map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    mwfuzz::QuietUi ui;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    mw::MapRecord record = mw::ParseMapFile(text, datums);
    (void)record;

    std::size_t end = text.find('\n');
    std::string_view first = text.substr(0, end);
    (void)mw::ImageBaseName(first);
    mw::CalibrationPoint point;
    (void)mw::ParseCalibrationPoint(first, 1.0, point);
    return 0;
}
