// kessrune-cli: the shop analysis for scripts and terminals.
//   kessrune-cli [--json] [--gbk] [--trace] [--max-time SECONDS] ADDRESS
//   kessrune-cli [--jobs N] [--input FILE|-] [--output-dir DIR] [...] ADDRESS...
#include <QCommandLineParser>
#include <QCoreApplication>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "analysis/analysis.h"
#include "analysis/shop_address.h"
#include "cli/address_argument.h"
#include "cli/address_list.h"
#include "cli/batch_command.h"
#include "cli/json_output.h"
#include "cli/sheet_output.h"
#include "cli/shop_json.h"
#include "cli/shop_run.h"
#include "cli/stream_output.h"
#include "http/charset.h"
#include "keep/atomic_file.h"
#include "kessrune/version.h"

namespace {

using namespace kessrune;

constexpr int kReady = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int usageError(std::string_view message) {
    std::fprintf(stderr, "kessrune-cli: %.*s\nTry 'kessrune-cli --help'.\n",
                 static_cast<int>(message.size()), message.data());
    return kUsage;
}

// The --max-time value: seconds, fractions allowed, more than 0.
std::optional<std::chrono::milliseconds> maxTimeFrom(const QString& value) {
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > 1e9)
        return std::nullopt;
    return std::chrono::milliseconds(std::max<long long>(1, std::llround(seconds * 1000)));
}

// The --jobs value: a whole number from 1 up.
std::optional<int> jobsFrom(const QString& value) {
    bool ok = false;
    const int jobs = value.toInt(&ok);
    if (!ok || jobs < 1)
        return std::nullopt;
    return std::min(jobs, 256);
}

}  // namespace

int main(int argc, char** argv) {
    // Arguments that are not UTF-8 would turn into "?" on their way in.
    for (int i = 1; i < argc; ++i) {
        if (!isValidUtf8(argv[i]))
            return usageError("argument " + std::to_string(i) + " is not valid UTF-8");
    }
    // No QCoreApplication for an analysis: nothing here needs an event loop,
    // and a run is then spent on the network, not on starting Qt.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromUtf8(argv[i]);
    }
    QCoreApplication::setApplicationName("kessrune-cli");
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Analyses a Taobao or Tmall shop home page as the Kessrune window does: reads the shop\n"
        "name, the shopkeeper and the template kind, finds the shop's style sheet and prints\n"
        "its CSS without the marketplace's page-scope prefix.\n\n"
        "The CSS goes to standard output; the shop name, shopkeeper, template and CSS address\n"
        "to standard error, one a line, and when no style sheet came, one line that says why.\n"
        "Exit status: 0 when a style sheet was fetched and is not empty, 1 when not, 2 for a\n"
        "usage error.\n\n"
        "Given several addresses, or --input, or --output-dir, it analyses them all, up to\n"
        "--jobs at once, and prints one line per shop in input order (\"ok|failed  address\n"
        "shop name  reason\"; with --json one JSON object a line) and a summary on standard\n"
        "error; no CSS on standard output. Exit status: 0 when every shop succeeded, 1 when\n"
        "any failed, 2 for a usage error, 130 when Ctrl+C stopped it.");
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption jsonOption(
        "json",
        "Print one JSON object to standard output and nothing else there: shopName, "
        "shopkeeper, template, cssAddress, css, ready, requests, address, ok, problem, shop, "
        "fetches (and steps with --trace).");
    const QCommandLineOption gbkOption("gbk", "Print the CSS as raw GBK bytes instead of UTF-8.");
    const QCommandLineOption traceOption(
        "trace", "Tell every request and every step of the analysis on standard error.");
    const QCommandLineOption maxTimeOption(
        "max-time",
        "Bound the whole run (in a batch, each shop's run) to SECONDS (fractions allowed); a "
        "run cut by it ends as failed fetches do, with exit status 1.",
        "SECONDS");
    const QCommandLineOption inputOption(
        "input",
        "Read shop addresses from FILE (- for standard input), one a line; blank lines and "
        "lines starting with # are skipped. May be given more than once, and with addresses.",
        "FILE");
    const QCommandLineOption jobsOption("jobs", "Analyse up to N shops at once (default 4).", "N",
                                        "4");
    const QCommandLineOption outputDirOption(
        "output-dir",
        "Save each shop's style sheet as DIR/<host>.css (UTF-8; GBK with --gbk) and "
        "DIR/index.json with the JSON objects of every shop.",
        "DIR");
    const QCommandLineOption formatOption(
        "format",
        "Format the CSS: each rule and declaration on a line of its own, nested blocks "
        "indented; wherever the CSS is written.");
    const QCommandLineOption outputOption(
        QStringList{"o", "output"},
        "Write what standard output would get into FILE instead, whole or not at all.", "FILE");
    const QCommandLineOption saveWithImagesOption(
        "save-with-images",
        "Save the style sheet as DIR/style.css with each image it uses under DIR/images/, "
        "its urls rewritten to them; the CSS is then not printed. Exit status 0 when the "
        "sheet is saved; each image that failed is told on standard error.",
        "DIR");
    parser.addOption(jsonOption);
    parser.addOption(formatOption);
    parser.addOption(outputOption);
    parser.addOption(saveWithImagesOption);
    parser.addOption(inputOption);
    parser.addOption(jobsOption);
    parser.addOption(outputDirOption);
    parser.addOption(gbkOption);
    parser.addOption(traceOption);
    parser.addOption(maxTimeOption);
    parser.addPositionalArgument("ADDRESS",
                                 "The shop's home-page address; it must hold \"tmall\" or "
                                 "\"taobao\".",
                                 "ADDRESS...");

    if (!parser.parse(arguments)) {
        return usageError(parser.errorText().toStdString());
    }
    if (parser.isSet(helpOption) || parser.isSet(versionOption)) {
        QCoreApplication app(argc, argv);  // the help text names the program after it
        if (parser.isSet(helpOption)) {
            parser.showHelp(0);
        }
        parser.showVersion();
    }
    ShopRunOptions options;
    if (parser.isSet(maxTimeOption)) {
        options.maxTime = maxTimeFrom(parser.value(maxTimeOption));
        if (!options.maxTime)
            return usageError("--max-time takes a number of seconds greater than 0");
    }
    int jobs = 4;
    if (parser.isSet(jobsOption)) {
        const std::optional<int> n = jobsFrom(parser.value(jobsOption));
        if (!n)
            return usageError("--jobs takes a whole number of at least 1");
        jobs = *n;
    }
    const QStringList positional = parser.positionalArguments();
    const bool batch =
        positional.size() > 1 || parser.isSet(inputOption) || parser.isSet(outputDirOption);
    if (batch && parser.isSet(saveWithImagesOption))
        return usageError("--save-with-images takes one shop address");

    // What would go to standard output goes into the -o file, which appears
    // only once all of it is written.
    std::optional<keep::AtomicFile> outputFile;
    std::FILE* out = stdout;
    if (parser.isSet(outputOption)) {
        std::string error;
        outputFile = keep::AtomicFile::create(parser.value(outputOption).toStdString(), error);
        if (!outputFile)
            return usageError(error);
        out = outputFile->stream();
    }
    const auto finishOutput = [&](int status) {
        std::fflush(out);
        if (outputFile) {
            const keep::FileWrite written = outputFile->commit();
            if (!written.ok) {
                writeLine(stderr, "kessrune-cli: " + written.error);
                return status == kReady ? kFailed : status;
            }
        }
        return status;
    };

    if (batch) {
        BatchCommand command;
        for (const QString& a : positional)
            command.addresses.push_back(a.toStdString());
        for (const QString& file : parser.values(inputOption)) {
            std::string error;
            if (!readAddressFile(file.toStdString(), command.addresses, error))
                return usageError(error);
        }
        if (command.addresses.empty())
            return usageError("no shop address given");
        command.jobs = jobs;
        command.json = parser.isSet(jsonOption);
        command.gbk = parser.isSet(gbkOption);
        command.trace = parser.isSet(traceOption);
        command.maxTime = options.maxTime;
        if (parser.isSet(outputDirOption))
            command.outputDir = parser.value(outputDirOption).toStdString();
        command.format = parser.isSet(formatOption);
        command.progress = ::isatty(STDERR_FILENO) == 1;
        return finishOutput(runBatchCommand(command, out, stderr));
    }
    if (positional.size() != 1)
        return usageError("no shop address given");
    const AddressArgument typed = checkAddressArgument(positional.front().toStdString());
    if (!typed.problem.empty())
        return usageError(typed.problem);

    const Text address = gbkFromUtf8(typed.address);
    if (!isShopAddress(address)) {
        writeLine(stderr,
                  "kessrune-cli: not a Taobao or Tmall shop address (it holds neither \"tmall\" "
                  "nor \"taobao\"): " +
                      shortened(typed.address));
        return kUsage;
    }

    const bool json = parser.isSet(jsonOption);
    const bool trace = parser.isSet(traceOption);
    if (trace) {
        options.trace = [](std::string_view line) {
            writeLine(stderr, line);
            std::fflush(stderr);
        };
    }
    ShopRun run = runShop(address, options);
    if (parser.isSet(formatOption))
        formatRunCss(run);
    const bool saveWithImages = parser.isSet(saveWithImagesOption);
    const bool gbk = parser.isSet(gbkOption);

    using namespace controls;
    if (json) {
        JsonWriter writer(out);
        writeShopJson(writer, run, trace);
        writeBytes(out, "\n");
    } else {
        for (std::string_view box :
             {kShopNameLabel, kShopkeeperLabel, kTemplateLabel, kCssAddressBox}) {
            writeLine(stderr, utf8FromGbk(run.form.text(box)));
        }
        const Text& css = run.form.text(kCssCodeBox);
        if (saveWithImages) {
            // The sheet goes into the folder, not to the terminal.
        } else if (gbk) {
            writeBytes(out, css);
        } else {
            writeUtf8FromGbk(out, css);
        }
    }
    if (!run.ok()) {
        const int status = finishOutput(kFailed);
        // A page may have put control characters into an address it quotes.
        writeLine(stderr, "kessrune-cli: " + visible(run.problem()));
        return status;
    }
    if (saveWithImages &&
        !saveRunWithImages(run, parser.value(saveWithImagesOption).toStdString(), gbk, stderr)) {
        return finishOutput(kFailed);
    }
    return finishOutput(kReady);
}
