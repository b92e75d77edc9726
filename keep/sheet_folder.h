// Saving a style sheet with the images it uses into a folder, so that the
// sheet works from the disk:
//   <folder>/style.css     the sheet, each image's url made "images/<name>"
//   <folder>/images/<name> each image, fetched once however often it is used
//
// What is and is not fetched, for each reference of the sheet (css/urls.h):
//   - an image address, relative ones resolved against the sheet's address:
//     fetched (http and https only) and pointed at its file; one that fails
//     keeps its absolute resolved address, so the saved sheet still shows
//     the image from the web once its server answers again;
//   - an @import: not fetched (it is another sheet, not an image), written
//     as its absolute resolved address so that it still loads;
//   - an address of another scheme ("ftp:", "file:"): resolved, not fetched,
//     listed as a failed image;
//   - data: urls, fragments ("#id"), empty urls, and what cannot be resolved
//     (a relative address with no absolute sheet address): left as they are.
// A non-2xx status, a failed fetch, an empty body or a file that cannot be
// written makes a failed image; the sheet is written whatever became of the
// images.
//   SheetFolderResult r = saveSheetWithImages("a{background:url(i/a.png)}",
//                                             "http://shop.example/css/s.css", "/tmp/out");
//   // /tmp/out/style.css: a{background:url("images/a.png")}
//   // r.images[0]: url "http://shop.example/css/i/a.png", file "images/a.png", ok
//   for (const ImageResult& image : r.images) failureLine(image);  // "" or why not
#ifndef KESSRUNE_KEEP_SHEET_FOLDER_H
#define KESSRUNE_KEEP_SHEET_FOLDER_H

#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "http/fetch.h"

namespace kessrune::keep {

// One image address of the sheet (several references to it count once).
struct ImageResult {
    std::string url;   // the address as resolved, without its fragment (UTF-8)
    std::string file;  // the relative path written, "images/a.png"; "" when it failed
    bool ok = false;
    FetchReport report;  // what the fetch did; failure `aborted` when a stop came first
    std::string error;   // why, when the fetch went well but the file was not written,
                         // or the address is no http or https one; "" otherwise
};

struct SheetFolderOptions {
    int parallel = 6;      // images fetched at once (less than 1: one)
    std::stop_token stop;  // asked for: no further fetch starts, running ones abort
    // Called after each image, fetched or failed, with how many of `total`
    // are done. Called from the fetching threads, one call at a time, `done`
    // rising by one each call; it must not throw. May be empty.
    std::function<void(int done, int total)> progress;
    std::string sheetFileName = "style.css";  // a plain file name: no "/" and no ".."
    // The sheet written as GBK rather than UTF-8; either way an @charset rule
    // that opens the sheet is made to name the encoding written.
    bool gbk = false;
};

struct SheetFolderResult {
    bool sheetSaved = false;
    std::string error;       // why the folder or the sheet could not be written; "" when saved
    bool cancelled = false;  // the stop was asked for by the time the fetches ended
    // One per distinct image address, in the order of their first use in the
    // sheet, then those of other schemes; empty when the folder could not be
    // made (nothing is fetched then).
    std::vector<ImageResult> images;
};

// Saves `sheetUtf8` (whose address is `sheetAddress`) and its images into
// `folder`, which is created when missing, as is its "images" folder when
// there are images; files that are there are replaced, each file written
// whole or not at all (writeFileAtomically). Nothing is ever written outside `folder`: every
// image's name is made safe (keep/file_names.h) and two different addresses
// never share a file, while one address used twice is fetched once.
//
// The fetches run on up to `parallel` threads over the fetch layer's shared
// connections and end before the call returns. A stop stops the next fetches
// from starting and aborts those running; the sheet is still written, with
// what has been fetched, and `cancelled` is set.
SheetFolderResult saveSheetWithImages(std::string_view sheetUtf8, std::string_view sheetAddress,
                                      const std::filesystem::path& folder,
                                      const SheetFolderOptions& options = {});

// One line, for a summary, saying why `image` failed: its address, ": ", and
// the reason ("http://x/a.png: HTTP 404", "http://x/b.png: connection
// refused", "http://x/c.png: empty body"); control bytes in the address are
// written %XX so that the line stays one line. "" for an image that is ok.
std::string failureLine(const ImageResult& image);

}  // namespace kessrune::keep

#endif  // KESSRUNE_KEEP_SHEET_FOLDER_H
