#include "fuzz_support.h"

#include <unistd.h>

#include <filesystem>

namespace mwfuzz {

namespace {

std::string MakeFolder() {
    // A tmpfs when there is one: the savers sync every file they write.
    const char* base = std::getenv("TMPDIR");
    std::string root = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (base && *base ? base : "/tmp");
    std::string pattern = root + "/mwfuzz.XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

struct FolderHolder {
    std::string path = MakeFolder();
    ~FolderHolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& Folder() {
    static FolderHolder holder;
    return holder.path;
}

std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::string path = Folder() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

}  // namespace mwfuzz
