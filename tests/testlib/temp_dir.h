// A fresh folder for one test, removed with its contents afterwards.
#pragma once

#include <string>

namespace mwtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` to Path()/name exactly as given.
    void Write(const std::string& name, const std::string& bytes) const;
    // The bytes of Path()/name; empty when it does not exist.
    std::string Read(const std::string& name) const;

private:
    std::string path_;
};

}  // namespace mwtest
