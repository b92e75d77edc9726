#include "app/css_view.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>
#include <utility>

#include "app/css_highlighter.h"
#include "css/format.h"

namespace kessrune {

CssView::CssView(QPlainTextEdit& box)
    : QObject(&box), box_(box), highlighter_(new CssHighlighter(this)) {}

CssView* CssView::of(const QWidget* box) {
    return box ? box->findChild<CssView*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void CssView::setFormatted(bool on) {
    if (on == formatted_) {
        return;
    }
    if (!on) {
        QString text = std::exchange(asFetched_, QString());
        leave();
        box_.setPlainText(text);
        QTextCursor cursor = box_.textCursor();
        cursor.setPosition(std::clamp(cursorBefore_, 0, static_cast<int>(text.size())));
        box_.setTextCursor(cursor);
        box_.verticalScrollBar()->setValue(scrollBefore_);
        emit formattedChanged(false);
        return;
    }
    asFetched_ = box_.toPlainText();
    cursorBefore_ = box_.textCursor().position();
    scrollBefore_ = box_.verticalScrollBar()->value();
    formattedUtf8_ = css::formatSheet(asFetched_.toStdString());
    // Filled before the highlighter is attached, so that the whole sheet is
    // coloured once, not block by block as it goes in.
    box_.setPlainText(QString::fromStdString(formattedUtf8_));
    highlighter_->setSheet(formattedUtf8_);
    highlighter_->setDocument(box_.document());
    highlighter_->rehighlight();
    wasReadOnly_ = box_.isReadOnly();
    box_.setReadOnly(true);
    formatted_ = true;
    emit formattedChanged(true);
}

QString CssView::asFetchedText() const {
    return formatted_ ? asFetched_ : box_.toPlainText();
}

void CssView::dropFormatted() {
    if (!formatted_) {
        return;
    }
    asFetched_.clear();
    leave();
    emit formattedChanged(false);
}

void CssView::leave() {
    highlighter_->setDocument(nullptr);
    highlighter_->setSheet({});
    std::string().swap(formattedUtf8_);
    box_.setReadOnly(wasReadOnly_);
    formatted_ = false;
}

}  // namespace kessrune
