// kessrune-cli: the shop analysis for scripts and terminals.
//   kessrune-cli [--json] [--gbk] ADDRESS
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <string>
#include <string_view>

#include "analysis/analysis.h"
#include "cli/console_form.h"
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

QString unicode(std::string_view gbk) {
    return QString::fromStdString(utf8FromGbk(gbk));
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
    parser.addOption(jsonOption);
    parser.addOption(gbkOption);
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
    int requests = 0;
    analyzeShop(form, [&requests](const Text& page) {
        ++requests;
        return fetchPage(page);
    });

    using namespace controls;
    const bool ready = !form.disabled(kAnalyzeButton);
    const Text& css = form.text(kCssCodeBox);
    if (parser.isSet(jsonOption)) {
        const QJsonObject result{
            {"shopName", unicode(form.text(kShopNameLabel))},
            {"shopkeeper", unicode(form.text(kShopkeeperLabel))},
            {"template", unicode(form.text(kTemplateLabel))},
            {"cssAddress", unicode(form.text(kCssAddressBox))},
            {"css", unicode(css)},
            {"ready", ready},
            {"requests", requests},
        };
        writeLine(stdout, QJsonDocument(result).toJson(QJsonDocument::Compact).toStdString());
    } else {
        for (std::string_view box :
             {kShopNameLabel, kShopkeeperLabel, kTemplateLabel, kCssAddressBox}) {
            writeLine(stderr, utf8FromGbk(form.text(box)));
        }
        write(stdout, parser.isSet(gbkOption) ? css : utf8FromGbk(css));
    }
    std::fflush(stdout);
    return form.text(kCssAddressBox).empty() ? kNotReady : kReady;
}
