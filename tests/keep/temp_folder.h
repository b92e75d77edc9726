// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends.
#ifndef KESSRUNE_TESTS_KEEP_TEMP_FOLDER_H
#define KESSRUNE_TESTS_KEEP_TEMP_FOLDER_H

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace kessrune::keep {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kessrune-keep-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // The names in `folder` (this one by default), sorted.
    std::vector<std::string> names(const std::filesystem::path& folder = {}) const {
        std::vector<std::string> out;
        for (const auto& entry :
             std::filesystem::directory_iterator(folder.empty() ? path_ : folder))
            out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace kessrune::keep

#endif  // KESSRUNE_TESTS_KEEP_TEMP_FOLDER_H
