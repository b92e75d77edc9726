// The control operations of the main window: read text, set text, set
// caption and set disabled, by control name, in GBK. This is the one place
// where texts cross between the widgets' Unicode and the system's GBK.
#ifndef KESSRUNE_APP_WINDOW_FORM_H
#define KESSRUNE_APP_WINDOW_FORM_H

#include <QHash>
#include <QPointer>
#include <QString>
#include <string_view>

#include "analysis/analysis.h"
#include "text/text.h"

namespace kessrune {

class MainWindow;

// A Form over the widgets of a MainWindow. A name the window does not hold,
// or an operation the control does not have, reads as "" and changes nothing.
//
// An edit box hands back, byte for byte, the GBK text last set into it for
// as long as the box shows that text unchanged; once edited it hands back its
// own text converted to GBK (characters GBK lacks become "?"). So a whole page
// written into the single-line 编辑框2, line breaks and all, reads back
// exactly as written; the box shows each line break as a space.
//
// 编辑框4 in its formatted view (CssView) reads as the sheet as fetched, as
// if that view were not on; setting its text first switches it back to the
// as-fetched view.
class WindowForm final : public Form {
  public:
    explicit WindowForm(MainWindow& window);

    Text readText(std::string_view control) override;
    void setText(std::string_view control, std::string_view text) override;
    void setCaption(std::string_view control, std::string_view caption) override;
    void setDisabled(std::string_view control, bool disabled) override;

  private:
    // A set text that the box cannot hand back as it is.
    struct Written {
        Text gbk;       // as set
        QString shown;  // the box's own text right after the set
    };
    QPointer<MainWindow> window_;
    QHash<QString, Written> written_;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_WINDOW_FORM_H
