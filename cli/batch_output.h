// What a batch tells: one line per shop, the progress while it runs, the
// summary at its end, and the names of the sheets it saves.
#ifndef KESSRUNE_CLI_BATCH_OUTPUT_H
#define KESSRUNE_CLI_BATCH_OUTPUT_H

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "cli/shop_run.h"
#include "keep/file_names.h"

namespace kessrune {

// The shop's line (UTF-8): "ok  ADDRESS  NAME" or "failed  ADDRESS  NAME
// REASON", two spaces between the fields, "-" for a name that was not
// found; the reason is `problem` when given, else the run's own.
//   shopLine(run) == "ok  http://lanting.taobao.com/  兰亭书画"
//   shopLine(run) == "failed  http://x.taobao.com/  -  the shop page could not be fetched: …"
std::string shopLine(const ShopRun& run, std::string_view problem = {});

// The shop name the run found (GBK, without the label's words); "" when none.
std::string_view shopNameOf(const ShopRun& run);

struct BatchCounts {
    std::size_t total = 0;
    std::size_t ok = 0;
    std::size_t failed = 0;
    std::size_t done() const { return ok + failed; }
};

// "12/60 shops · 11 ok · 1 failed · 3.2 shops/s · 15 s left"; the rate and
// the time left only once a shop is done.
std::string progressLine(const BatchCounts& counts, std::chrono::milliseconds elapsed);

// "60 shops: 58 ok, 2 failed, 3.1 s", and ", 12 not run" when some were not.
std::string summaryLine(const BatchCounts& counts, std::chrono::milliseconds elapsed);

// File names for the sheets of a batch: the host of each shop address
// made safe for a file name, numbered when a name is taken ("a.css",
// "a-2.css", ...). Names never hold a path separator, never start with a
// dot and never name anything outside the folder.
//   SheetNames n; n.take("http://x.taobao.com/") == "x.taobao.com.css";
//   n.take("http://x.taobao.com/b") == "x.taobao.com-2.css"
class SheetNames {
  public:
    std::string take(std::string_view addressUtf8);

  private:
    keep::FileNamer names_;
};

}  // namespace kessrune

#endif  // KESSRUNE_CLI_BATCH_OUTPUT_H
