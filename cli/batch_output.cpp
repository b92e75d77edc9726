#include "cli/batch_output.h"

#include <cstdio>

#include "analysis/controls.h"
#include "analysis/labels.h"
#include "cli/address_argument.h"
#include "http/charset.h"
#include "http/url.h"
#include "text/ascii.h"

namespace kessrune {
namespace {

constexpr std::string_view kSeparator = "  ";
constexpr std::size_t kMaxNameBytes = 100;

std::string seconds(std::chrono::milliseconds elapsed) {
    char out[32];
    std::snprintf(out, sizeof out, "%.1f s", static_cast<double>(elapsed.count()) / 1000.0);
    return out;
}

// The host as a file name: letters, digits, '.', '-' and '_' kept, every
// other byte '_', no leading dot, bounded.
std::string safeStem(std::string_view host) {
    std::string stem;
    for (char c : host.substr(0, kMaxNameBytes)) {
        const bool plain = isAsciiLetter(c) || isAsciiDigit(c) || c == '.' || c == '-' || c == '_';
        stem += plain ? c : '_';
    }
    if (!stem.empty() && stem.front() == '.')
        stem.front() = '_';
    return stem.empty() ? "shop" : stem;
}

}  // namespace

std::string_view shopNameOf(const ShopRun& run) {
    std::string_view label = run.form.text(controls::kShopNameLabel);
    if (label.starts_with(labels::kShopNamePrefix))
        label.remove_prefix(labels::kShopNamePrefix.size());
    return label;
}

std::string shopLine(const ShopRun& run, std::string_view problem) {
    const std::string reason = problem.empty() ? run.problem() : std::string(problem);
    const std::string name = utf8FromGbk(shopNameOf(run));
    // Every field may hold what a page or an input line put there: control
    // characters are written out, so a shop is always one line.
    std::string line = reason.empty() ? "ok" : "failed";
    line += kSeparator;
    line += visible(utf8FromGbk(run.address));
    line += kSeparator;
    line += name.empty() ? "-" : visible(name);
    if (!reason.empty()) {
        line += kSeparator;
        line += visible(reason);
    }
    return line;
}

std::string progressLine(const BatchCounts& counts, std::chrono::milliseconds elapsed) {
    std::string line = std::to_string(counts.done()) + "/" + std::to_string(counts.total) +
                       " shops · " + std::to_string(counts.ok) + " ok · " +
                       std::to_string(counts.failed) + " failed";
    if (counts.done() > 0 && elapsed.count() > 0) {
        const double rate =
            static_cast<double>(counts.done()) * 1000.0 / static_cast<double>(elapsed.count());
        const double left = static_cast<double>(counts.total - counts.done()) / rate;
        char tail[64];
        std::snprintf(tail, sizeof tail, " · %.1f shops/s · %.0f s left", rate, left);
        line += tail;
    }
    return line;
}

std::string summaryLine(const BatchCounts& counts, std::chrono::milliseconds elapsed) {
    std::string line = std::to_string(counts.total) + (counts.total == 1 ? " shop: " : " shops: ") +
                       std::to_string(counts.ok) + " ok, " + std::to_string(counts.failed) +
                       " failed";
    if (counts.done() < counts.total)
        line += ", " + std::to_string(counts.total - counts.done()) + " not run";
    return line + ", " + seconds(elapsed);
}

std::string SheetNames::take(std::string_view addressUtf8) {
    return names_.claim(safeStem(urlHost(addressUtf8)) + ".css");
}

}  // namespace kessrune
