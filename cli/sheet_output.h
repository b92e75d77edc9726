// What the command line does with a run's style sheet beyond printing it:
// the formatted form, and the sheet saved with its images.
#ifndef KESSRUNE_CLI_SHEET_OUTPUT_H
#define KESSRUNE_CLI_SHEET_OUTPUT_H

#include <cstdio>
#include <filesystem>

#include "cli/shop_run.h"

namespace kessrune {

// Replaces the run's CSS with its formatted form (css/format.h), so that
// everything written from the run afterwards carries it. Nothing changes
// for a run without CSS.
void formatRunCss(ShopRun& run);

// Saves the run's sheet as `folder`/style.css with its images under
// images/ (UTF-8, or GBK with `gbk`), telling each image that failed, and
// a line for the whole, on `err`. True when the sheet was saved; a run
// that is not ok saves nothing and is false.
bool saveRunWithImages(const ShopRun& run, const std::filesystem::path& folder, bool gbk,
                       std::FILE* err);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_SHEET_OUTPUT_H
