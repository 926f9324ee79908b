// The user's datum file "datums.dat", appended to the built-in table; every
// row is then looked up and its ellipsoid taken, as a datum choice does.
#include "fuzz_support.h"
#include "geo/datums.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mwfuzz::WriteInput("datums.dat", data, size);
    mw::DatumTable table;
    const int count = mw::LoadUserDatums(table, mwfuzz::Folder());
    for (int i = mw::kBuiltinDatumCount; i < count; ++i) {
        (void)mw::GetDatumEllipsoid(table, i);
        (void)mw::FindDatumByName(table, table.Row(i).name);
    }
    return 0;
}
