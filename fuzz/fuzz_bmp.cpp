// Windows bitmap files (alarm pictures, symbols).
#include "fuzz_support.h"
#include "image/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mwfuzz::WriteInput("picture.bmp", data, size);
    if (auto bitmap = mw::LoadBitmapFile(path)) {
        // Touch the corners, as a window that paints it would.
        if (bitmap->width > 0 && bitmap->height > 0) {
            volatile std::uint32_t sink = bitmap->At(0, 0) ^
                                          bitmap->At(bitmap->width - 1, bitmap->height - 1);
            (void)sink;
        }
    }
    return 0;
}
