#include "keep/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>
#include <system_error>
#include <utility>

namespace kessrune::keep {
namespace {

// An open file descriptor, closed when it goes.
class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Hands the descriptor over to a new owner.
    int release() { return std::exchange(fd_, -1); }

  private:
    bool reset(int fd = -1) {
        bool ok = true;
        if (fd_ >= 0)
            ok = ::close(fd_) == 0;
        fd_ = fd;
        return ok;
    }
    int fd_;
};

// The temporary, removed when it goes unless kept.
class TemporaryName {
  public:
    explicit TemporaryName(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!kept_)
            ::unlink(path_.c_str());
    }
    const std::filesystem::path& path() const { return path_; }
    void keep() { kept_ = true; }

  private:
    std::filesystem::path path_;
    bool kept_ = false;
};

std::string failed(std::string_view what, const std::filesystem::path& path, int error) {
    std::string out(what);
    out += ' ';
    out += path.string();
    out += ": ";
    out += std::error_code(error, std::generic_category()).message();
    return out;
}

// A hidden name beside the target. The target's own name is cut so that
// the temporary's stays well inside NAME_MAX.
std::string temporaryName(const std::string& target, std::uint64_t tag) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = ".";
    name += target.substr(0, 200);
    name += '.';
    for (int shift = 60; shift >= 0; shift -= 4)
        name += kHex[(tag >> shift) & 0xf];
    name += ".tmp";
    return name;
}

}  // namespace

std::optional<AtomicFile> AtomicFile::create(const std::filesystem::path& file,
                                             std::string& error) {
    const std::string name = file.filename().string();
    if (name.empty() || name == "." || name == "..") {
        error = "cannot write " + file.string() + ": not a file name";
        return std::nullopt;
    }
    const std::filesystem::path folder =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");

    // A random tag, tried again on a clash: no counter shared between calls
    // is needed, and O_EXCL makes a clash harmless.
    std::random_device random;
    std::mt19937_64 tags((static_cast<std::uint64_t>(random()) << 32) ^ random());
    UniqueFd fd;
    std::filesystem::path temporaryPath;
    int problem = 0;
    for (int attempt = 0; attempt < 32 && !fd; ++attempt) {
        temporaryPath = folder / temporaryName(name, tags());
        fd = UniqueFd(::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        problem = errno;
        if (!fd && problem != EEXIST)
            break;
    }
    if (!fd) {
        error = failed("cannot create a temporary file in", folder, problem);
        return std::nullopt;
    }
    std::FILE* stream = ::fdopen(fd.get(), "wb");
    if (stream == nullptr) {
        error = failed("cannot write", temporaryPath, errno);
        ::unlink(temporaryPath.c_str());
        return std::nullopt;
    }
    fd.release();  // the stream owns it now
    return AtomicFile(file, folder, temporaryPath, stream);
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : file_(std::move(other.file_)),
      folder_(std::move(other.folder_)),
      temporary_(std::move(other.temporary_)),
      stream_(std::exchange(other.stream_, nullptr)) {}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept {
    if (this != &other) {
        discard();
        file_ = std::move(other.file_);
        folder_ = std::move(other.folder_);
        temporary_ = std::move(other.temporary_);
        stream_ = std::exchange(other.stream_, nullptr);
    }
    return *this;
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() {
    if (stream_ == nullptr)
        return;
    std::fclose(std::exchange(stream_, nullptr));
    ::unlink(temporary_.c_str());
}

FileWrite AtomicFile::commit() {
    if (stream_ == nullptr)
        return {false, "cannot write " + file_.string() + ": already written"};
    TemporaryName temporary(temporary_);
    std::FILE* stream = std::exchange(stream_, nullptr);
    errno = 0;
    const bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    const int writeError = errno != 0 ? errno : EIO;
    const bool synced = written && ::fsync(::fileno(stream)) == 0;
    const int syncError = errno;
    const bool closed = std::fclose(stream) == 0;
    if (!written)
        return {false, failed("cannot write", temporary.path(), writeError)};
    if (!synced)
        return {false, failed("cannot flush", temporary.path(), syncError)};
    if (!closed)
        return {false, failed("cannot write", temporary.path(), errno)};
    if (::rename(temporary.path().c_str(), file_.c_str()) != 0)
        return {false, failed("cannot replace", file_, errno)};
    temporary.keep();

    // The rename itself reaches the disk with the folder's own flush. The
    // file is already in place by now, so a failure here is not reported as
    // one: the caller could do nothing about it and the bytes are written.
    if (UniqueFd dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir)
        ::fsync(dir.get());
    return {true, ""};
}

FileWrite writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    std::string error;
    std::optional<AtomicFile> out = AtomicFile::create(file, error);
    if (!out)
        return {false, error};
    std::fwrite(bytes.data(), 1, bytes.size(), out->stream());
    return out->commit();
}

}  // namespace kessrune::keep
