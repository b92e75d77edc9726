// Bytes and lines written to a C stream as they are, for the command line's
// standard output, standard error and the files it writes.
//   writeLine(stderr, "kessrune-cli: no shop address given");
#ifndef KESSRUNE_CLI_STREAM_OUTPUT_H
#define KESSRUNE_CLI_STREAM_OUTPUT_H

#include <cstdio>
#include <string_view>

namespace kessrune {

inline void writeBytes(std::FILE* to, std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), to);
}

// `line` and a line break.
inline void writeLine(std::FILE* to, std::string_view line) {
    writeBytes(to, line);
    writeBytes(to, "\n");
}

}  // namespace kessrune

#endif  // KESSRUNE_CLI_STREAM_OUTPUT_H
