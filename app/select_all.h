// Ctrl+A in the edit boxes: selects the box's whole text.
#ifndef KESSRUNE_APP_SELECT_ALL_H
#define KESSRUNE_APP_SELECT_ALL_H

#include <QObject>

class QWidget;

namespace kessrune {

// The key handling of an edit box: a key press of A while Ctrl is held (Shift
// and Alt not looked at, every key repeat included) selects the box's whole
// text; the key then goes on to the box as before. Every other event passes
// untouched.
class SelectAllFilter final : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The main window's created event: attaches the key handling to every edit
// box below `window` (QLineEdit, QPlainTextEdit) in one depth-first walk. A
// second call on the same window does nothing.
void onWindowCreated(QWidget& window);

// The walk itself: each child of `parent` in order, every edit box among them
// given `filter`, and the children of each walked before its next sibling.
void subclassEditBoxes(QObject& parent, SelectAllFilter& filter);

}  // namespace kessrune

#endif  // KESSRUNE_APP_SELECT_ALL_H
