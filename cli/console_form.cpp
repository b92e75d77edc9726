#include "cli/console_form.h"

namespace kessrune {

namespace {

const Text kNothing;

template <typename Map>
const typename Map::mapped_type& valueOr(const Map& map, std::string_view key,
                                         const typename Map::mapped_type& fallback) {
    auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
}

}  // namespace

ConsoleForm::ConsoleForm(Text address) {
    texts_.emplace(controls::kAddressBox, std::move(address));
    captions_.emplace(controls::kAnalyzeButton, controls::kReadyCaption);
}

Text ConsoleForm::readText(std::string_view control) {
    return text(control);
}

void ConsoleForm::setText(std::string_view control, std::string_view text) {
    texts_.insert_or_assign(std::string(control), Text(text));
}

void ConsoleForm::setCaption(std::string_view control, std::string_view caption) {
    captions_.insert_or_assign(std::string(control), Text(caption));
}

void ConsoleForm::setDisabled(std::string_view control, bool disabled) {
    disabled_.insert_or_assign(std::string(control), disabled);
}

const Text& ConsoleForm::text(std::string_view control) const {
    return valueOr(texts_, control, kNothing);
}

const Text& ConsoleForm::caption(std::string_view control) const {
    return valueOr(captions_, control, kNothing);
}

bool ConsoleForm::disabled(std::string_view control) const {
    static const bool kEnabled = false;
    return valueOr(disabled_, control, kEnabled);
}

}  // namespace kessrune
