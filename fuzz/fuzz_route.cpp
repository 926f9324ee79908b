// Route files (.rte), read into the route store.
#include "fuzz_support.h"
#include "geo/datums.h"
#include "nav/route_file.h"
#include "nav/route_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    const std::string path = mwfuzz::WriteInput("routes.rte", data, size);
    mw::RouteStore store;
    const int mapDatum = size ? data[0] % mw::kBuiltinDatumCount : mw::kDatumWgs84;
    (void)mw::LoadRouteFile(store, path, datums, mapDatum);
    return 0;
}
