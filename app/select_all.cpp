#include "app/select_all.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace kessrune {
namespace {

constexpr char kFilterName[] = "kessrune-select-all";

}  // namespace

bool SelectAllFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_A && (key->modifiers() & Qt::ControlModifier)) {
            if (auto* line = qobject_cast<QLineEdit*>(watched)) {
                line->selectAll();
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(watched)) {
                plain->selectAll();
            }
        }
    }
    return false;  // the box still gets every event
}

void subclassEditBoxes(QObject& parent, SelectAllFilter& filter) {
    for (QObject* child : parent.children()) {
        if (qobject_cast<QLineEdit*>(child) || qobject_cast<QPlainTextEdit*>(child)) {
            child->installEventFilter(&filter);
        }
        subclassEditBoxes(*child, filter);
    }
}

void onWindowCreated(QWidget& window) {
    if (window.findChild<SelectAllFilter*>(QString::fromLatin1(kFilterName),
                                           Qt::FindDirectChildrenOnly)) {
        return;  // the walk runs once
    }
    auto* filter = new SelectAllFilter(&window);  // owned by the window
    filter->setObjectName(QString::fromLatin1(kFilterName));
    subclassEditBoxes(window, *filter);
}

}  // namespace kessrune
