// kessrune-cli: the shop analysis for scripts and terminals.
//   kessrune-cli [--json] [--gbk] ADDRESS
#include <QCommandLineParser>
#include <QCoreApplication>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/analysis.h"
#include "cli/console_form.h"
#include "cli/json_output.h"
#include "http/charset.h"
#include "http/fetch.h"

namespace {

using namespace kessrune;

constexpr int kReady = 0;
constexpr int kNotReady = 1;
constexpr int kUsage = 2;

void write(std::FILE* to, std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), to);
}

void writeLine(std::FILE* to, std::string_view bytes) {
    write(to, bytes);
    write(to, "\n");
}

int usageError(const QString& message) {
    std::fprintf(stderr, "kessrune-cli: %s\nTry 'kessrune-cli --help'.\n", qUtf8Printable(message));
    return kUsage;
}

using Clock = std::chrono::steady_clock;

// The --max-time value: seconds, fractions allowed, more than 0.
std::optional<std::chrono::milliseconds> maxTimeFrom(const QString& value) {
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > 1e9)
        return std::nullopt;
    return std::chrono::milliseconds(std::max<long long>(1, std::llround(seconds * 1000)));
}

}  // namespace

int main(int argc, char** argv) {
    // No QCoreApplication for an analysis: nothing here needs an event loop,
    // and a run is then spent on the network, not on starting Qt.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCoreApplication::setApplicationName("kessrune-cli");
    QCoreApplication::setApplicationVersion(KESSRUNE_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Analyses a Taobao or Tmall shop home page as the Kessrune window does: reads the shop\n"
        "name, the shopkeeper and the template kind, finds the shop's style sheet and prints\n"
        "its CSS without the marketplace's page-scope prefix.\n\n"
        "The CSS goes to standard output; the shop name, shopkeeper, template and CSS address\n"
        "to standard error, one a line. Exit status: 0 when a CSS address was found, 1 when\n"
        "not, 2 for a usage error.");
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption jsonOption(
        "json",
        "Print one JSON object (shopName, shopkeeper, template, cssAddress, css, ready, "
        "requests) to standard output and nothing else.");
    const QCommandLineOption gbkOption("gbk", "Print the CSS as raw GBK bytes instead of UTF-8.");
    const QCommandLineOption maxTimeOption(
        "max-time",
        "Bound the whole run to SECONDS (fractions allowed); a run cut by it ends as failed "
        "fetches do, with exit status 1.",
        "SECONDS");
    parser.addOption(jsonOption);
    parser.addOption(gbkOption);
    parser.addOption(maxTimeOption);
    parser.addPositionalArgument("ADDRESS",
                                 "The shop's home-page address; it must hold \"tmall\" or "
                                 "\"taobao\".");

    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(helpOption) || parser.isSet(versionOption)) {
        QCoreApplication app(argc, argv);  // the help text names the program after it
        if (parser.isSet(helpOption)) {
            parser.showHelp(0);
        }
        parser.showVersion();
    }
    std::optional<std::chrono::milliseconds> maxTime;
    if (parser.isSet(maxTimeOption)) {
        maxTime = maxTimeFrom(parser.value(maxTimeOption));
        if (!maxTime)
            return usageError("--max-time takes a number of seconds greater than 0");
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return usageError(positional.isEmpty() ? "no shop address given"
                                               : "give one shop address only");
    }

    const Text address = gbkFromUtf8(positional.front().toStdString());
    if (findText(address, "tmall") == -1 && findText(address, "taobao") == -1) {
        std::fprintf(stderr,
                     "kessrune-cli: not a Taobao or Tmall shop address (it holds neither "
                     "\"tmall\" nor \"taobao\"): %s\n",
                     qUtf8Printable(positional.front()));
        return kUsage;
    }

    ConsoleForm form(address);
    AnalysisSession session;
    int requests = 0;
    const Clock::time_point started = Clock::now();
    bool cut = false;
    analyzeShop(session, form, [&](const Text& page) -> Text {
        ++requests;
        FetchOptions options;
        if (maxTime) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                started + *maxTime - Clock::now());
            if (left <= std::chrono::milliseconds::zero()) {
                cut = true;
                return {};  // the time is up: the rest of the run fetches nothing
            }
            options.maxTime = left;
        }
        Text fetched = fetchPage(page, options);
        cut = cut || (maxTime && Clock::now() >= started + *maxTime);
        return fetched;
    });
    // The run's copy of the sheet is not needed for the output: the box's is.
    session = {};

    using namespace controls;
    const bool ready = !form.disabled(kAnalyzeButton);
    const Text& css = form.text(kCssCodeBox);
    if (parser.isSet(jsonOption)) {
        JsonObjectWriter json(stdout);
        json.gbkText("shopName", form.text(kShopNameLabel));
        json.gbkText("shopkeeper", form.text(kShopkeeperLabel));
        json.gbkText("template", form.text(kTemplateLabel));
        json.gbkText("cssAddress", form.text(kCssAddressBox));
        json.gbkText("css", css);
        json.boolean("ready", ready);
        json.number("requests", requests);
        json.close();
    } else {
        for (std::string_view box :
             {kShopNameLabel, kShopkeeperLabel, kTemplateLabel, kCssAddressBox}) {
            writeLine(stderr, utf8FromGbk(form.text(box)));
        }
        if (parser.isSet(gbkOption)) {
            write(stdout, css);
        } else {
            writeUtf8FromGbk(stdout, css);
        }
    }
    std::fflush(stdout);
    if (cut) {
        std::fprintf(stderr, "kessrune-cli: the run was cut off after %s s (--max-time)\n",
                     qUtf8Printable(parser.value(maxTimeOption)));
        return kNotReady;
    }
    return form.text(kCssAddressBox).empty() ? kNotReady : kReady;
}
