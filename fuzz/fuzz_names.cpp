// Gazetteers: the dBASE table "<base>.names" and its side file
// "<base>.types", opened as "Load Names" does, a few records read for the
// list, and the two kinds of search run over the whole table.
//
// Input layout: byte 0 is how many bytes of the input's tail are the side
// file (times 4, at most the rest); the remaining head is the table.
#include <algorithm>

#include "fuzz_support.h"
#include "geo/datums.h"
#include "names/name_filter.h"
#include "names/names_file.h"
#include "names/names_types.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    if (size == 0) return 0;
    const std::size_t rest = size - 1;
    const std::size_t typesSize = std::min<std::size_t>(rest, std::size_t(data[0]) * 4);
    const std::uint8_t* table = data + 1;
    const std::size_t tableSize = rest - typesSize;
    const std::string path = mwfuzz::WriteInput("places.names", table, tableSize);
    mwfuzz::WriteInput("places.types", table + tableSize, typesSize);

    const mw::NamesTypes types = mw::LoadNamesTypes(mw::NamesTypesPath(path), datums);
    mw::NamesOpenError error = mw::NamesOpenError::None;
    bool truncated = false;
    auto file = mw::NamesFile::Open(path, error, &truncated);
    if (!file) {
        (void)mw::NamesOpenMessage(error);
        return 0;
    }
    mw::NameRecordReader reader(file);
    const std::uint32_t count = file->RecordCount();
    for (std::uint32_t r : {0u, 1u, count / 2, count ? count - 1 : 0u, count}) (void)reader.Read(r);

    // The first record's name (or a part of it) is what the user would type.
    mw::NameQuery query;
    query.text = mw::UpperName(file->Read(0).name.substr(0, 3));
    query.code = types.codes.size() > 1 ? types.codes[1] : mw::kAllCodesText;
    query.prefix = (data[0] & 1) != 0;
    if (data[0] & 2) {
        query.borderLat = {-90, 90, 90, -90};
        query.borderLon = {-10, -10, 10, 10};
    }
    mw::NameFilterEnd end = mw::NameFilterEnd::Running;
    const auto matches = mw::FilterNames(file, query, &end);
    for (std::uint32_t r : matches) {
        if (r >= count) __builtin_trap();
    }
    query.prefix = !query.prefix;
    (void)mw::FilterNames(file, query, &end);
    return 0;
}
