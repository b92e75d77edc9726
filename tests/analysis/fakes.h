// A form and a fetch for running the analysis without a window or a network.
#ifndef KESSRUNE_TESTS_ANALYSIS_FAKES_H
#define KESSRUNE_TESTS_ANALYSIS_FAKES_H

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "analysis/analysis.h"

namespace kessrune::testing {

// Controls by name, with a log of every operation in order.
class FakeForm : public Form {
  public:
    Text readText(std::string_view control) override {
        log.push_back("read " + std::string(control));
        return texts[std::string(control)];
    }
    void setText(std::string_view control, std::string_view text) override {
        log.push_back("text " + std::string(control));
        texts[std::string(control)] = Text(text);
    }
    void setCaption(std::string_view control, std::string_view caption) override {
        log.push_back("caption " + std::string(control));
        captions[std::string(control)] = Text(caption);
    }
    void setDisabled(std::string_view control, bool disabled) override {
        log.push_back(std::string(disabled ? "disable " : "enable ") + std::string(control));
        this->disabled[std::string(control)] = disabled;
    }

    Text text(std::string_view control) const {
        auto it = texts.find(std::string(control));
        return it == texts.end() ? Text() : it->second;
    }

    std::map<std::string, Text> texts;
    std::map<std::string, Text> captions;
    std::map<std::string, bool> disabled;
    std::vector<std::string> log;
};

// Answers each call from `respond(address, call)` (call counts from 1) and
// keeps the addresses asked for.
struct FakeFetch {
    using Responder = std::function<Text(const Text& address, int call)>;
    explicit FakeFetch(Responder r = {}) : respond(std::move(r)) {}

    Responder respond;
    std::vector<Text> asked;

    PageFetch fetch() {
        return [this](const Text& address) {
            asked.push_back(address);
            return respond ? respond(address, static_cast<int>(asked.size())) : Text();
        };
    }
};

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTS_ANALYSIS_FAKES_H
