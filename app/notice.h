// A message to the user that does not stop the window: a window-modal message
// box opened without a nested event loop, deleted once closed.
#ifndef KESSRUNE_APP_NOTICE_H
#define KESSRUNE_APP_NOTICE_H

#include <QMessageBox>
#include <QString>

class QWidget;

namespace kessrune {

// Opens the box over `parent` and returns it (owned by `parent`, gone once
// closed); `details`, when not "", sits behind the box's "details" button.
// Tests find it as parent.findChild<QMessageBox*>().
QMessageBox* showNotice(QWidget& parent, QMessageBox::Icon icon, const QString& title,
                        const QString& text, const QString& details = {});

}  // namespace kessrune

#endif  // KESSRUNE_APP_NOTICE_H
