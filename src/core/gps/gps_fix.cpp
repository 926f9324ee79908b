#include "gps/gps_fix.h"

namespace mw {

void ResetGpsFix(GpsFix& fix) {
    fix.altitude = kGpsNotKnown;
    fix.satellites = SatelliteTables{};
}

void AdoptParserFields(GpsFix& to, const GpsFix& from) {
    std::string status = std::move(to.statusText);
    to = from;
    to.statusText = std::move(status);
}

}  // namespace mw
