#include "cli/sheet_output.h"

#include <string>
#include <string_view>

#include "analysis/controls.h"
#include "cli/address_argument.h"
#include "cli/stream_output.h"
#include "css/format.h"
#include "http/charset.h"
#include "keep/sheet_folder.h"

namespace kessrune {

void formatRunCss(ShopRun& run) {
    const Text& css = run.form.text(controls::kCssCodeBox);
    if (css.empty())
        return;
    // The formatter reads UTF-8: GBK's second bytes may be '\', '{' or '}'.
    run.form.setText(controls::kCssCodeBox, gbkFromUtf8(css::formatSheet(utf8FromGbk(css))));
}

bool saveRunWithImages(const ShopRun& run, const std::filesystem::path& folder, bool gbk,
                       std::FILE* err) {
    if (!run.ok())
        return false;
    keep::SheetFolderOptions options;
    options.gbk = gbk;
    const keep::SheetFolderResult saved = keep::saveSheetWithImages(
        utf8FromGbk(run.form.text(controls::kCssCodeBox)),
        utf8FromGbk(run.form.text(controls::kCssAddressBox)), folder, options);
    std::size_t failed = 0;
    for (const keep::ImageResult& image : saved.images) {
        if (!image.ok) {
            ++failed;
            writeLine(err, "kessrune-cli: image not saved: " + keep::failureLine(image));
        }
    }
    if (!saved.sheetSaved) {
        writeLine(err, "kessrune-cli: the style sheet could not be saved: " + visible(saved.error));
        return false;
    }
    const std::size_t images = saved.images.size();
    writeLine(err, "saved " + (folder / options.sheetFileName).string() + " with " +
                       std::to_string(images - failed) + " of " + std::to_string(images) +
                       (images == 1 ? " image" : " images"));
    return true;
}

}  // namespace kessrune
