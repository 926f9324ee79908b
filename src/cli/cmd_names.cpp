// mwtool names info|search: a gazetteer as the name search reads it, and the
// list the "Name Search" dialog shows for a filter. Matches are printed as
// stored; with --datum-map the positions are printed converted to the datum
// of the --inside map instead, where "Map" would put them.
#include <iostream>

#include "app/name_commands.h"
#include "cli/mwtool.h"
#include "geo/datum_convert.h"
#include "map/map_file.h"
#include "names/name_filter.h"
#include "names/names_file.h"
#include "names/names_types.h"
#include "support/text.h"

namespace {

int Fail(const std::string& message) {
    std::cerr << "mwtool: " << message << "\n";
    return 1;
}

struct Opened {
    std::shared_ptr<const mw::NamesFile> file;
    mw::NamesTypes types;
    int datum = mw::kDatumAutoShift;
};

std::optional<Opened> Open(const std::string& path, const mw::DatumTable& datums, int& exitCode) {
    mw::NamesOpenError error;
    bool truncated = false;
    Opened o;
    o.file = mw::NamesFile::Open(path, error, &truncated);
    if (!o.file) {
        std::string why = mw::NamesOpenMessage(error);
        exitCode = Fail(why.empty() ? "cannot open " + path : why);
        return std::nullopt;
    }
    if (truncated) std::cerr << "mwtool: " << mw::kNamesTruncatedText << "\n";
    const std::string typesPath = mw::NamesTypesPath(path);
    o.types = mw::LoadNamesTypes(typesPath, datums);
    if (!o.types.read.Missing()) {
        const std::string report = mw::ReadReportText(mw::kCodeListText, typesPath, o.types.read);
        if (!report.empty()) std::cerr << "mwtool: " << report << "\n";
    }
    // As at program start: without a DATUM line the names datum is row 0.
    if (o.types.hasDatum) o.datum = o.types.datum;
    return o;
}

int Info(mwtool::Args& args, const mw::DatumTable& datums) {
    if (args.words.size() != 1) return mwtool::UsageError("names info needs one FILE.names");
    int code = 0;
    auto o = Open(args.words[0], datums, code);
    if (!o) return code;
    const mw::NamesFile& f = *o->file;
    std::cout << "records," << f.RecordCount() << "\nfields";
    for (const mw::NamesField& field : f.Fields()) std::cout << "," << field.name << ":" << field.length;
    const mw::NamesRoles& r = f.Roles();
    std::cout << "\nroles,name=" << r.name << ",code=" << r.code << ",lat=" << r.lat
              << ",lon=" << r.lon << "\ndatum," << datums.Row(o->datum).name << "\n";
    for (std::size_t i = 1; i < o->types.codes.size(); ++i)
        std::cout << "code," << o->types.codes[i] << "\n";
    return 0;
}

int Search(mwtool::Args& args, const mw::DatumTable& datums) {
    std::string text = args.Option("--text").value_or("");
    std::string codeText = args.Option("--code").value_or(mw::kAllCodesText);
    std::optional<std::string> inside = args.Option("--inside");
    const bool anywhere = args.Flag("--anywhere");
    const bool inMapDatum = args.Flag("--datum-map");
    if (auto unknown = args.UnknownOption()) return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() != 1) return mwtool::UsageError("names search needs one FILE.names");
    if (inMapDatum && !inside) return mwtool::UsageError("--datum-map needs --inside FILE.map");
    int code = 0;
    auto o = Open(args.words[0], datums, code);
    if (!o) return code;
    mw::MapRecord map;
    if (inside) {
        auto read = mw::ReadMapFile(*inside, datums);
        if (!read) return Fail("cannot read " + *inside);
        map = *read;
        map.mapLoaded = true;
    }
    mw::NameQuery query = mw::MakeNameQuery(map, datums, o->datum, text, codeText, !anywhere,
                                            inside.has_value());
    for (std::uint32_t r : mw::FilterNames(o->file, query)) {
        mw::NameRecord rec = o->file->Read(r);
        if (inMapDatum) {
            double lat = mw::ParseReal(rec.lat), lon = mw::ParseReal(rec.lon);
            mw::ConvertDatum(datums, o->datum, map.datumIndex, lat, lon);
            rec.lat = mw::Format("%.7f", lat);
            rec.lon = mw::Format("%.7f", lon);
        }
        std::cout << rec.name << '\t' << rec.code << '\t' << rec.lat << '\t' << rec.lon << '\n';
    }
    return 0;
}

int Names(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("names needs info or search");
    const std::string sub = args.words.front();
    args.words.erase(args.words.begin());
    mw::DatumTable datums;
    mw::LoadUserDatums(datums, args.home);
    if (sub == "info") return Info(args, datums);
    if (sub == "search") return Search(args, datums);
    return mwtool::UsageError("names needs info or search, not " + sub);
}

}  // namespace

MW_COMMAND("names",
           "names info FILE.names | names search FILE.names [--text T] [--anywhere] [--code C] "
           "[--inside FILE.map] [--datum-map]",
           Names);
