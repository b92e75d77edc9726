#include "keep/sheet_folder.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "css/urls.h"
#include "http/charset.h"
#include "keep/atomic_file.h"
#include "keep/file_names.h"
#include "text/ascii.h"

namespace kessrune::keep {
namespace {

constexpr std::string_view kImageFolder = "images";

bool isHttp(std::string_view address) {
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view scheme = address.substr(0, colon);
    return equalsIgnoringAsciiCase(scheme, "http") || equalsIgnoringAsciiCase(scheme, "https");
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
}

// `sheet` with the encoding named by an @charset rule at its start (which
// must read exactly `@charset "name";`, as CSS asks) made `encoding`: the
// rule would otherwise contradict the bytes written. Any other sheet as it is.
std::string withCharset(std::string_view sheet, std::string_view encoding) {
    constexpr std::string_view kBom = "\xef\xbb\xbf";
    constexpr std::string_view kRule = "@charset \"";
    const std::size_t start = sheet.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
    if (sheet.substr(start, kRule.size()) != kRule)
        return std::string(sheet);
    const std::size_t nameStart = start + kRule.size();
    const std::size_t quote = sheet.find('"', nameStart);
    if (quote == std::string_view::npos || sheet.substr(quote, 2) != "\";")
        return std::string(sheet);
    std::string out(sheet.substr(0, nameStart));
    out += encoding;
    out += sheet.substr(quote);
    return out;
}

struct Image {
    std::string address;   // what is fetched: resolved, no fragment
    std::string fileName;  // under images/
    ImageResult result;
};

// One reference's plan: which image it uses (or none), and what it becomes
// when that image cannot be had.
struct Reference {
    std::optional<std::string> replacement;  // nullopt: left as it is
    int image = -1;
    std::string fragment;  // "#..." after the image's file, or ""
};

void fetchImage(Image& image, const std::filesystem::path& imageFolder, std::stop_token stop) {
    ImageResult& result = image.result;
    FetchOptions fetch;
    fetch.stop = std::move(stop);
    fetch.report = &result.report;
    std::string body;
    try {
        body = fetchBody(image.address, fetch);
    } catch (const std::exception& e) {
        // Out of memory, most likely; the other images may still fit.
        result.report.failure = FetchFailure::brokenConnection;
        result.report.detail = e.what();
        return;
    }
    const int status = result.report.status;
    if (result.report.failure != FetchFailure::none || status < 200 || status > 299 || body.empty())
        return;
    const FileWrite written = writeFileAtomically(imageFolder / image.fileName, body);
    if (!written.ok) {
        result.error = written.error;
        return;
    }
    result.ok = true;
    result.file = std::string(kImageFolder) + "/" + image.fileName;
}

void fetchAll(std::vector<Image>& images, const std::filesystem::path& imageFolder,
              const SheetFolderOptions& options) {
    const int total = static_cast<int>(images.size());
    std::atomic<int> next{0};
    std::mutex progressMutex;
    int done = 0;
    auto work = [&] {
        while (!options.stop.stop_requested()) {
            const int k = next.fetch_add(1);
            if (k >= total)
                return;
            fetchImage(images[static_cast<std::size_t>(k)], imageFolder, options.stop);
            if (options.progress) {
                const std::lock_guard lock(progressMutex);
                options.progress(++done, total);
            }
        }
    };
    const int threads = std::clamp(options.parallel, 1, std::max(total, 1));
    {
        std::vector<std::jthread> workers;
        for (int i = 0; i < threads && total > 0; ++i) {
            try {
                workers.emplace_back(work);
            } catch (const std::system_error&) {
                break;  // the system has no thread to spare: fewer do the work
            }
        }
        if (workers.empty())
            work();
    }
    // What no thread took is marked as a stop's doing, as a fetch aborted on
    // its way is.
    for (int k = std::min(next.load(), total); k < total; ++k) {
        FetchReport& report = images[static_cast<std::size_t>(k)].result.report;
        report.failure = FetchFailure::aborted;
        report.detail = "not started";
    }
}

}  // namespace

SheetFolderResult saveSheetWithImages(std::string_view sheetUtf8, std::string_view sheetAddress,
                                      const std::filesystem::path& folder,
                                      const SheetFolderOptions& options) {
    SheetFolderResult out;
    if (!isPlainFileName(options.sheetFileName)) {
        out.error = "not a plain file name for the sheet: " + options.sheetFileName;
        return out;
    }

    const std::vector<css::SheetUrl> urls = css::findUrls(sheetUtf8);
    std::vector<Reference> references(urls.size());
    std::vector<Image> images;
    std::map<std::string, int, std::less<>> imageOf;
    // Addresses of other schemes are listed, so that a summary names them,
    // but neither fetched nor changed beyond being resolved.
    std::vector<ImageResult> others;
    std::set<std::string, std::less<>> otherAddresses;
    FileNamer names;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        const css::SheetUrl& url = urls[i];
        if (url.kind != css::UrlKind::Address)
            continue;
        std::optional<std::string> resolved = css::resolveUrl(sheetAddress, url.value);
        if (!resolved)
            continue;
        Reference& reference = references[i];
        reference.replacement = *resolved;
        if (url.import)
            continue;
        if (!isHttp(*resolved)) {
            if (otherAddresses.insert(*resolved).second) {
                ImageResult& other = others.emplace_back();
                other.url = *resolved;
                other.error = "not an http or https address";
            }
            continue;
        }
        const std::size_t hash = resolved->find('#');
        if (hash != std::string::npos)
            reference.fragment = resolved->substr(hash);
        std::string address = resolved->substr(0, hash);
        auto [it, added] = imageOf.try_emplace(address, static_cast<int>(images.size()));
        if (added) {
            Image& image = images.emplace_back();
            image.fileName = names.claim(imageFileName(address));
            image.result.url = address;
            image.address = std::move(address);
        }
        reference.image = it->second;
    }

    // The images folder only when there is something to put in it.
    const std::filesystem::path imageFolder = folder / kImageFolder;
    const std::filesystem::path& needed = images.empty() ? folder : imageFolder;
    std::error_code made;
    std::filesystem::create_directories(needed, made);
    if (made) {
        out.error = "cannot create " + needed.string() + ": " + made.message();
        return out;
    }
    fetchAll(images, imageFolder, options);
    out.cancelled = options.stop.stop_requested();

    // rewriteUrls finds the same references in the same order.
    std::size_t index = 0;
    const std::string sheet = css::rewriteUrls(sheetUtf8, [&](const css::SheetUrl&) {
        const Reference& reference = references[index++];
        if (reference.image >= 0) {
            const ImageResult& image = images[static_cast<std::size_t>(reference.image)].result;
            if (image.ok)
                return std::optional<std::string>(relativeUrl(image.file) + reference.fragment);
        }
        return reference.replacement;
    });
    const FileWrite written = writeFileAtomically(
        folder / options.sheetFileName,
        options.gbk ? gbkFromUtf8(withCharset(sheet, "gbk")) : withCharset(sheet, "utf-8"));
    out.sheetSaved = written.ok;
    out.error = written.error;

    out.images.reserve(images.size() + others.size());
    for (Image& image : images)
        out.images.push_back(std::move(image.result));
    for (ImageResult& other : others)
        out.images.push_back(std::move(other));
    return out;
}

std::string failureLine(const ImageResult& image) {
    if (image.ok)
        return "";
    std::string reason;
    const FetchReport& report = image.report;
    if (!image.error.empty()) {
        reason = image.error;
    } else if (report.failure != FetchFailure::none) {
        reason = failureWords(report.failure);
        if (!report.detail.empty())
            reason += " (" + report.detail + ")";
    } else if (report.status < 200 || report.status > 299) {
        reason = report.status == 0 ? "no response" : "HTTP " + std::to_string(report.status);
    } else {
        reason = "empty body";
    }
    // The address and a redirect's target come from data.
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line;
    for (const char c : image.url + ": " + reason) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f) {
            line += '%';
            line += kHex[b >> 4];
            line += kHex[b & 0xf];
        } else {
            line += c;
        }
    }
    return line;
}

}  // namespace kessrune::keep
