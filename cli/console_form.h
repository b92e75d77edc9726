// The analysis's controls held in memory, for the command line: what the
// run writes is kept by control name and read back as the window would show
// it. Texts are GBK.
#ifndef KESSRUNE_CLI_CONSOLE_FORM_H
#define KESSRUNE_CLI_CONSOLE_FORM_H

#include <map>
#include <string>
#include <string_view>

#include "analysis/analysis.h"

namespace kessrune {

class ConsoleForm : public Form {
  public:
    // As the window starts: every box and label empty but `编辑框1`, which
    // holds `address`; `按钮1` enabled, captioned "分析css".
    explicit ConsoleForm(Text address);

    Text readText(std::string_view control) override;
    void setText(std::string_view control, std::string_view text) override;
    void setCaption(std::string_view control, std::string_view caption) override;
    void setDisabled(std::string_view control, bool disabled) override;

    // "" for a control that holds nothing.
    const Text& text(std::string_view control) const;
    const Text& caption(std::string_view control) const;
    bool disabled(std::string_view control) const;

  private:
    std::map<std::string, Text, std::less<>> texts_;
    std::map<std::string, Text, std::less<>> captions_;
    std::map<std::string, bool, std::less<>> disabled_;
};

}  // namespace kessrune

#endif  // KESSRUNE_CLI_CONSOLE_FORM_H
