// Map images: headers, level table, level records, tiles or rows, and the
// view renderer on top of them, the way the map window and the overview use
// a file. Built twice: as the tiled-format target (the type field is forced
// to the tiled type) and, with MW_FUZZ_STRIP, as the strip-format target
// (inputs of the tiled type are skipped).
#include <algorithm>
#include <vector>

#include "fuzz_support.h"
#include "image/image_file.h"
#include "image/view_render.h"

namespace {

void ReadPieces(mw::ImageFile& file) {
    std::vector<std::uint8_t> buffer(64 * 64);
    if (file.IsTiled()) {
        const int last = std::min<int>(file.levelCount, mw::kMaxLevels);
        for (int level = -1; level <= last; ++level) {
            if (!mw::SelectLevel(file, level)) continue;
            const int tiles = file.tilesX * file.tilesY;
            for (int i : {0, 1, tiles / 2, tiles - 1, tiles}) (void)mw::ReadTile(file, i, buffer.data());
        }
        (void)mw::FindLevel(file, 50.0);
    } else {
        const std::int64_t rowBytes = file.RowBytes();
        if (rowBytes <= 0 || rowBytes > (1 << 20)) return;
        buffer.resize(static_cast<std::size_t>(rowBytes));
        for (int row : {0, 1, file.height / 2, file.height - 1, file.height}) {
            (void)mw::ReadRow(file, row, buffer.data(), 0, rowBytes - 1);
            (void)mw::ReadRow(file, row, buffer.data(), rowBytes / 2, rowBytes - 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
#ifdef MW_FUZZ_STRIP
    if (size >= 2 && bytes[0] == 0x78 && bytes[1] == 0x77) return 0;
#else
    if (size >= 2) {
        bytes[0] = 0x78;
        bytes[1] = 0x77;
    }
#endif
    const std::string path = mwfuzz::WriteInput("map.mwf2", bytes.data(), bytes.size());

    mw::ImageFault fault = mw::ImageFault::None;
    if (auto file = mw::OpenImageFile(path, &fault)) {
        ReadPieces(*file);
        mw::CloseImageFile(*file);
    }

    if (auto opened = mw::OpenViewImage(path, 1.0, 48, 32, 96, 64, fault)) {
        const int w = opened->imageWidth, h = opened->imageHeight;
        struct Step {
            double divisor;
            int top, left;
        };
        for (const Step& s : {Step{2.0, 0, 0}, Step{4.0, h / 8, w / 8}, Step{0.5, h / 2, w / 2},
                              Step{1.0, h - 10, w - 10}, Step{1.0, -40, -40}, Step{3.0, 0, 0}}) {
            (void)mw::RenderView(opened->file, opened->view, s.divisor, s.top, 0, s.left, 0,
                                 fault);
        }
    }
    (void)mw::BuildLevelImage(path, -1, fault);
    return 0;
}
