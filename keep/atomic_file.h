// Writing a file whole or not at all.
//
// The bytes go to a fresh temporary file beside the target (same folder, so
// the same file system), are flushed to the disk, and the temporary is then
// renamed over the target in one step. A reader sees the old file or the new
// one, never a part; a crash or a failed write leaves the old file (or none)
// and no temporary behind.
//   writeFileAtomically("/tmp/out/style.css", "a{}") == {true, ""}
//   writeFileAtomically("/no/such/folder/x", "a{}").error ==
//       "cannot create a temporary file in /no/such/folder: No such file or directory"
#ifndef KESSRUNE_KEEP_ATOMIC_FILE_H
#define KESSRUNE_KEEP_ATOMIC_FILE_H

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kessrune::keep {

struct FileWrite {
    bool ok = false;
    // What failed, in words, with the path concerned and the system's reason
    // ("cannot write /x/a.tmp: No space left on device"); "" when ok.
    std::string error;
};

// Writes `bytes` (any bytes, zero bytes included; empty makes an empty file)
// to `file`, replacing what is there. The temporary has a unique name
// (created with O_EXCL, so it never takes over another file), mode 0644
// less the umask, and is removed on every failure, leaving `file` as it was.
// The folder must exist; it is not created. Fails (ok == false) when `file`
// has no file name, names a folder, or the folder cannot be written.
FileWrite writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// The same, for what is written piece by piece (a sheet converted as it
// goes, an index of many shops): the temporary open as a stream, the file
// in place only after commit(). Gone without a commit, the temporary goes
// too and `file` stays as it was.
//   std::string error;
//   std::optional<AtomicFile> out = AtomicFile::create("out/index.json", error);
//   std::fputs("[]", out->stream());
//   FileWrite done = out->commit();
class AtomicFile {
  public:
    // nullopt, with `error` set as FileWrite::error would be, when the
    // temporary cannot be made.
    static std::optional<AtomicFile> create(const std::filesystem::path& file, std::string& error);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    std::FILE* stream() const { return stream_; }
    // Flushes, syncs and renames into place; a write error anywhere before
    // is told here, and the temporary removed.
    FileWrite commit();

  private:
    void discard();
    AtomicFile(std::filesystem::path file, std::filesystem::path folder,
               std::filesystem::path temporary, std::FILE* stream)
        : file_(std::move(file)),
          folder_(std::move(folder)),
          temporary_(std::move(temporary)),
          stream_(stream) {}

    std::filesystem::path file_;
    std::filesystem::path folder_;
    std::filesystem::path temporary_;
    std::FILE* stream_ = nullptr;
};

}  // namespace kessrune::keep

#endif  // KESSRUNE_KEEP_ATOMIC_FILE_H
