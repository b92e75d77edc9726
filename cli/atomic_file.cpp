#include "cli/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace kessrune {
namespace {

std::string failed(std::string_view what, const std::filesystem::path& path, int error) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

}  // namespace

std::optional<AtomicFile> AtomicFile::create(const std::filesystem::path& file,
                                             std::string& error) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    std::string pattern = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd == -1) {
        error = failed("cannot create a file in", folder, errno);
        return std::nullopt;
    }
    const std::filesystem::path temporary(name.data());
    // mkostemp makes it private; the result is an ordinary file.
    ::fchmod(fd, 0644);
    std::FILE* stream = ::fdopen(fd, "wb");
    if (stream == nullptr) {
        error = failed("cannot write", temporary, errno);
        ::close(fd);
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    return AtomicFile(file, temporary, stream);
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : file_(std::move(other.file_)),
      temporary_(std::move(other.temporary_)),
      stream_(std::exchange(other.stream_, nullptr)) {}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() {
    if (stream_ == nullptr)
        return;
    std::fclose(std::exchange(stream_, nullptr));
    ::unlink(temporary_.c_str());
}

bool AtomicFile::commit(std::string& error) {
    if (stream_ == nullptr) {
        error = "already written: " + file_.string();
        return false;
    }
    int problem = 0;
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_) || ::fsync(::fileno(stream_)) != 0)
        problem = errno != 0 ? errno : EIO;
    if (std::fclose(std::exchange(stream_, nullptr)) != 0 && problem == 0)
        problem = errno;
    if (problem == 0 && std::rename(temporary_.c_str(), file_.c_str()) != 0)
        problem = errno;
    if (problem != 0) {
        ::unlink(temporary_.c_str());
        error = failed("cannot write", file_, problem);
        return false;
    }
    return true;
}

}  // namespace kessrune
