// A file that appears whole or not at all: written under a temporary name
// beside it and renamed over it once complete, so that a crash or a failed
// write never leaves half a file where the caller asked for one.
//   std::string error;
//   std::optional<AtomicFile> f = AtomicFile::create("out/index.json", error);
//   std::fputs("[]", f->stream());
//   if (!f->commit(error)) ...  // error says why, with the path
#ifndef KESSRUNE_CLI_ATOMIC_FILE_H
#define KESSRUNE_CLI_ATOMIC_FILE_H

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace kessrune {

class AtomicFile {
  public:
    // The temporary file beside `file` (mode 0644), open for writing;
    // nullopt with `error` set when it cannot be made.
    static std::optional<AtomicFile> create(const std::filesystem::path& file, std::string& error);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Without a commit the temporary file goes, and `file` stays as it was.
    ~AtomicFile();

    std::FILE* stream() const { return stream_; }

    // Flushes, syncs and renames the file into place; false with `error`
    // set when any of it failed (the temporary file is then removed).
    bool commit(std::string& error);

  private:
    AtomicFile(std::filesystem::path file, std::filesystem::path temporary, std::FILE* stream)
        : file_(std::move(file)), temporary_(std::move(temporary)), stream_(stream) {}
    void discard();

    std::filesystem::path file_;
    std::filesystem::path temporary_;
    std::FILE* stream_ = nullptr;
};

}  // namespace kessrune

#endif  // KESSRUNE_CLI_ATOMIC_FILE_H
