// The two views of 编辑框4: the sheet as fetched (the box as it has always
// been: editable, no colours) and the formatted sheet (css::formatSheet of
// the box's text as UTF-8, coloured, read-only). The formatted view is for
// display only: while it is on, the as-fetched text is kept here, unchanged,
// and is what the window's control operations read (WindowForm asks
// CssView::of(box)); switching back puts exactly that text back.
#ifndef KESSRUNE_APP_CSS_VIEW_H
#define KESSRUNE_APP_CSS_VIEW_H

#include <QObject>
#include <QString>
#include <string>
#include <string_view>

class QPlainTextEdit;
class QWidget;

namespace kessrune {

class CssHighlighter;

class CssView final : public QObject {
    Q_OBJECT
  public:
    // Attaches to `box` as its child; the as-fetched view is on.
    explicit CssView(QPlainTextEdit& box);

    // The view attached to `box`; nullptr for a widget that has none.
    static CssView* of(const QWidget* box);

    bool formatted() const { return formatted_; }

    // Switches views; nothing happens when the view asked for is on. Going
    // back restores the as-fetched text exactly, with its cursor and scroll
    // position.
    void setFormatted(bool on);
    void toggle() { setFormatted(!formatted_); }

    // The sheet as fetched (or as the user edited it), whichever view is on.
    QString asFetchedText() const;

    // The formatted sheet, UTF-8, exactly as shown; "" while the as-fetched
    // view is on.
    std::string_view formattedSheet() const { return formattedUtf8_; }

    // Ends the formatted view without putting the as-fetched text back, for
    // a writer that replaces the box's text right after (a new run's sheet
    // is shown as fetched). Nothing happens in the as-fetched view.
    void dropFormatted();

  signals:
    void formattedChanged(bool formatted);

  private:
    void leave();

    QPlainTextEdit& box_;
    CssHighlighter* highlighter_;  // on the box's document only while formatted
    bool formatted_ = false;
    bool wasReadOnly_ = false;
    QString asFetched_;
    std::string formattedUtf8_;
    int cursorBefore_ = 0;
    int scrollBefore_ = 0;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_CSS_VIEW_H
