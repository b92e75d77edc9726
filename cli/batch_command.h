// kessrune-cli over many shops: the batch run and everything it writes.
#ifndef KESSRUNE_CLI_BATCH_COMMAND_H
#define KESSRUNE_CLI_BATCH_COMMAND_H

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kessrune {

struct BatchCommand {
    std::vector<std::string> addresses;  // UTF-8, as given
    int jobs = 4;
    bool json = false;    // JSON Lines on standard output instead of shop lines
    bool gbk = false;     // saved sheets as GBK
    bool format = false;  // every sheet formatted
    bool trace = false;   // every request and step on standard error, "[n] " before it
    std::optional<std::chrono::milliseconds> maxTime;  // per shop
    std::optional<std::filesystem::path> outputDir;    // DIR/<host>.css and DIR/index.json
    bool progress = false;                             // a progress line on standard error
};

inline constexpr int kBatchAllOk = 0;
inline constexpr int kBatchSomeFailed = 1;
inline constexpr int kBatchUsage = 2;

// Runs the batch, writes standard output, standard error and the output
// folder as the command line documents, and returns the exit status: 0
// when every shop succeeded, 1 when any failed, 2 when the output folder
// cannot be made, 128 + the signal's number when SIGINT or SIGTERM stopped
// it (what had finished is written all the same).
int runBatchCommand(const BatchCommand& command, std::FILE* out, std::FILE* err);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_BATCH_COMMAND_H
