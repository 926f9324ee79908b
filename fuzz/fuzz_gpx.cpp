// GPX documents, imported into the stores as "Import GPX" does (all or
// nothing), then converted into the program's own files as the command-line
// conversion does.
#include "fuzz_support.h"
#include "geo/datums.h"
#include "gpx/gpx_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    const std::string path = mwfuzz::WriteInput("import.gpx", data, size);
    mw::WaypointStore waypoints;
    mw::RouteStore routes;
    mw::TrackStore track;
    const int mapDatum = size ? data[size - 1] % mw::kBuiltinDatumCount : mw::kDatumWgs84;
    const mw::GpxImportReport report =
        mw::ImportGpxFile(path, waypoints, routes, track, datums, mapDatum);
    (void)mw::GpxImportMessage(report);

    const std::string& dir = mwfuzz::Folder();
    mw::NativeFilesSink sink(dir + "/out.wpt", dir + "/out.plt", dir + "/out.rte");
    if (sink.IsOpen()) {
        const mw::GpxReadResult r = mw::ReadGpxFile(path, sink);
        if (r.ok) (void)sink.Commit();
    }
    return 0;
}
