// The map catalogue's index file, as a start finds it in the cache folder:
// read, its folders taken into a catalogue and searched. The first byte
// chooses the input's role: even, the whole file as found; odd, the rest is
// one folder's section, wrapped with a good header and checksums so that
// the section's own reading is what meets the damage.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "map/catalogue.h"
#include "map/catalogue_index.h"

namespace {

// A file system without folders and with a fixed clock: the catalogue
// answers from the index alone, as in the first frame of a start.
class NoFolders : public mw::FileSystem {
public:
    std::optional<mw::FileStamp> StampFolder(const std::string&) override { return std::nullopt; }
    std::optional<std::vector<mw::FolderFile>> ListFolder(const std::string&,
                                                          std::string_view) override {
        return std::nullopt;
    }
    std::vector<std::optional<mw::FileStamp>> StampFiles(
        const std::string&, const std::vector<std::string>&) override {
        return {};
    }
    std::optional<std::string> ReadFile(const std::string&, std::size_t) override {
        return std::nullopt;
    }
    std::int64_t NowNs() override { return 1'700'000'000'000'000'000; }
    bool IsLink(const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const mw::DatumTable datums;
    static const std::uint64_t fingerprint = mw::DatumFingerprint(datums);
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string bytes;
    if (data[0] & 1) {
        mw::CatalogueIndexWriter writer(fingerprint);
        writer.AddRawSection("/fuzz/maps", rest, 0);
        bytes = writer.Finish();
        // What reads back must write back the same way.
        if (auto folder = mw::DecodeFolderSection(rest)) {
            const std::string again = mw::EncodeFolderSection(*folder);
            auto second = mw::DecodeFolderSection(again);
            if (!second || mw::EncodeFolderSection(*second) != again) std::abort();
        }
    } else {
        bytes.assign(rest);
    }

    std::vector<std::string> folders;
    if (auto index = mw::CatalogueIndex::Parse(bytes)) {
        index->ForEachRemaining([&](const std::string& folder, std::string_view, std::uint32_t) {
            if (folders.size() < 4) folders.push_back(folder);
        });
    }
    const std::string path = mwfuzz::Folder() + "/catalogue.index";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return 0;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    NoFolders files;
    mw::MapCatalogue catalogue;
    catalogue.UseIndexFile(path);
    const mw::MapSearch searches[] = {
        {50.5, 10.5, mw::kDatumWgs84}, {-33.9, 151.2, 0}, {std::nan(""), 0, mw::kDatumWgs84}};
    for (const std::string& folder : folders)
        for (const mw::MapSearch& s : searches) (void)catalogue.Covering(files, folder, s, datums);
    return 0;
}
