// The settings files: the input is given as the main configuration, the view
// configuration and a one-key side file; what was read is then formatted
// back, the way the next save writes it.
#include "config/settings.h"
#include "fuzz_support.h"
#include "geo/datums.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    const std::string& home = mwfuzz::Folder();
    mwfuzz::WriteInput(mw::kMainConfigFile, data, size);
    mwfuzz::WriteInput(mw::kViewConfigFile, data, size);
    mwfuzz::WriteInput(mw::kLastMapFile, data, size);

    mw::AppSettings settings;
    mw::ReadConfiguration(home, datums, settings);
    (void)mw::FormatConfigurationLines(settings, datums);

    mw::ViewSettings view;
    mw::ReadViewSettings(home, view);
    (void)mw::ReadLastIni(home, mw::kLastMapFile);
    return 0;
}
