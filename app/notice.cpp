#include "app/notice.h"

#include <QWidget>

namespace kessrune {

QMessageBox* showNotice(QWidget& parent, QMessageBox::Icon icon, const QString& title,
                        const QString& text, const QString& details) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, &parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);  // names and reasons come from outside
    if (!details.isEmpty()) {
        box->setDetailedText(details);
    }
    box->open();
    return box;
}

}  // namespace kessrune
