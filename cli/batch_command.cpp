#include "cli/batch_command.h"

#include <mutex>
#include <stop_token>
#include <string_view>
#include <system_error>

#include "analysis/controls.h"
#include "cli/batch.h"
#include "cli/batch_output.h"
#include "cli/interrupt.h"
#include "cli/json_output.h"
#include "cli/sheet_output.h"
#include "cli/shop_json.h"
#include "cli/stream_output.h"
#include "http/charset.h"
#include "keep/atomic_file.h"

namespace kessrune {
namespace {

using Clock = std::chrono::steady_clock;
using keep::AtomicFile;
using keep::FileWrite;

std::chrono::milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// Standard error shared by the workers' trace lines and the progress line,
// which is redrawn in place below whatever else is written.
class ErrorStream {
  public:
    ErrorStream(std::FILE* err, bool progress) : err_(err), progress_(progress) {}

    void line(std::string_view text) {
        std::lock_guard lock(mutex_);
        clearProgress();
        writeLine(err_, text);
        drawProgress();
    }
    void progress(std::string line) {
        if (!progress_)
            return;
        std::lock_guard lock(mutex_);
        progressLine_ = std::move(line);
        clearProgress();
        drawProgress();
    }
    void endProgress() {
        std::lock_guard lock(mutex_);
        clearProgress();
        progress_ = false;
    }

  private:
    void clearProgress() {
        if (progress_ && !progressLine_.empty())
            writeBytes(err_, "\r\x1b[K");
    }
    void drawProgress() {
        if (progress_ && !progressLine_.empty())
            writeBytes(err_, progressLine_);
        std::fflush(err_);
    }

    std::mutex mutex_;
    std::FILE* err_;
    bool progress_;
    std::string progressLine_;
};

// The output folder: a sheet per shop as it is handed on, and index.json
// written beside them as one file at the end.
class OutputFolder {
  public:
    static std::optional<OutputFolder> open(const std::filesystem::path& dir, bool gbk,
                                            bool withSteps, std::string& error) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            error = "cannot make the output folder " + dir.string() + ": " + ec.message();
            return std::nullopt;
        }
        std::optional<AtomicFile> index = AtomicFile::create(dir / "index.json", error);
        if (!index)
            return std::nullopt;
        return OutputFolder(dir, gbk, withSteps, std::move(*index));
    }

    // Saves the run's sheet when it has one; the name it went under, or ""
    // (with run.saveProblem set when saving failed).
    std::string save(ShopRun& run) {
        if (!run.ok())
            return {};
        std::string name = names_.take(utf8FromGbk(run.address));
        std::string error;
        std::optional<AtomicFile> file = AtomicFile::create(dir_ / name, error);
        if (file) {
            const Text& css = run.form.text(controls::kCssCodeBox);
            if (gbk_) {
                writeBytes(file->stream(), css);
            } else {
                writeUtf8FromGbk(file->stream(), css);
            }
            const FileWrite written = file->commit();
            if (written.ok)
                return name;
            error = written.error;
        }
        run.saveProblem = "the style sheet could not be saved: " + error;
        return {};
    }

    void index(const ShopRun& run, const std::string& file) {
        writeBytes(index_.stream(), first_ ? "[\n" : ",\n");
        first_ = false;
        JsonWriter json(index_.stream());
        writeShopJson(json, run, withSteps_, &file);
    }

    FileWrite finish() {
        writeBytes(index_.stream(), first_ ? "[]\n" : "\n]\n");
        return index_.commit();
    }

  private:
    OutputFolder(std::filesystem::path dir, bool gbk, bool withSteps, AtomicFile index)
        : dir_(std::move(dir)), gbk_(gbk), withSteps_(withSteps), index_(std::move(index)) {}

    std::filesystem::path dir_;
    bool gbk_;
    bool withSteps_;
    AtomicFile index_;
    SheetNames names_;
    bool first_ = true;
};

}  // namespace

int runBatchCommand(const BatchCommand& command, std::FILE* out, std::FILE* err) {
    const Clock::time_point started = Clock::now();
    std::string folderError;
    std::optional<OutputFolder> folder =
        command.outputDir
            ? OutputFolder::open(*command.outputDir, command.gbk, command.trace, folderError)
            : std::nullopt;
    if (command.outputDir && !folder) {
        writeLine(err, "kessrune-cli: " + folderError);
        return kBatchUsage;
    }

    std::stop_source stop;
    InterruptWatch watch(stop);  // before the workers start: they inherit its mask
    ErrorStream errors(err, command.progress);
    BatchCounts progress{.total = command.addresses.size()};
    std::mutex progressMutex;
    BatchCounts counts{.total = command.addresses.size()};

    BatchOptions options;
    options.jobs = command.jobs;
    options.maxTime = command.maxTime;
    options.stop = stop.get_token();
    if (command.trace) {
        options.trace = [&errors](std::size_t i, std::string_view line) {
            errors.line("[" + std::to_string(i + 1) + "] " + std::string(line));
        };
    }
    options.finished = [&](std::size_t, bool ok) {
        std::string line;
        {
            std::lock_guard lock(progressMutex);
            ++(ok ? progress.ok : progress.failed);
            line = progressLine(progress, since(started));
        }
        errors.progress(std::move(line));
    };
    errors.progress(progressLine(progress, since(started)));

    runBatch(command.addresses, options, [&](std::size_t, ShopRun&& run) {
        if (command.format)
            formatRunCss(run);
        std::string file;
        if (folder)
            file = folder->save(run);
        ++(run.ok() ? counts.ok : counts.failed);
        if (command.json) {
            JsonWriter json(out);
            writeShopJson(json, run, command.trace);
            writeBytes(out, "\n");
        } else {
            writeLine(out, shopLine(run));
        }
        std::fflush(out);
        if (folder)
            folder->index(run, file);
    });

    errors.endProgress();
    int status = counts.failed == 0 ? kBatchAllOk : kBatchSomeFailed;
    if (folder) {
        const FileWrite index = folder->finish();
        if (!index.ok) {
            writeLine(err, "kessrune-cli: " + index.error);
            status = kBatchSomeFailed;
        }
    }
    writeLine(err, summaryLine(counts, since(started)));
    if (watch.signal() != 0)
        status = 128 + watch.signal();
    return status;
}

}  // namespace kessrune
