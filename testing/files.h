// Whole files read into memory, for the servers of the tests and samples and
// for the tests that compare with what those files hold.
//   readFile("samples/shops/mumu.taobao.com/expected.css")  // its bytes
//   readFile("no/such/file") == std::nullopt
#ifndef KESSRUNE_TESTING_FILES_H
#define KESSRUNE_TESTING_FILES_H

#include <filesystem>
#include <optional>
#include <string>

namespace kessrune::testing {

// Every byte of `file`, as stored; nullopt when it cannot be opened or read
// (a folder, a missing file, no permission). An empty file gives "".
std::optional<std::string> readFile(const std::filesystem::path& file);

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_FILES_H
