#include "app/window_form.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/css_view.h"
#include "app/main_window.h"
#include "http/charset.h"

namespace kessrune {
namespace {

QString fromGbk(std::string_view gbk) {
    return QString::fromStdString(utf8FromGbk(gbk));
}
Text toGbk(const QString& text) {
    return gbkFromUtf8(text.toStdString());
}

QString controlName(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// The text an edit box holds, or a null string for a widget that is none.
// A box in its formatted view holds the sheet as fetched: that view is for
// the eye only.
QString boxText(QWidget* widget) {
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        return line->text();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        const CssView* view = CssView::of(plain);
        return view ? view->asFetchedText() : plain->toPlainText();
    }
    return {};
}

}  // namespace

WindowForm::WindowForm(MainWindow& window) : window_(&window) {}

Text WindowForm::readText(std::string_view control) {
    if (!window_) {
        return {};
    }
    const QString name = controlName(control);
    QWidget* widget = window_->control(name);
    if (!qobject_cast<QLineEdit*>(widget) && !qobject_cast<QPlainTextEdit*>(widget)) {
        return {};
    }
    const QString text = boxText(widget);
    const auto written = written_.constFind(name);
    if (written != written_.constEnd() && written->shown == text) {
        return written->gbk;
    }
    return toGbk(text);
}

void WindowForm::setText(std::string_view control, std::string_view text) {
    if (!window_) {
        return;
    }
    const QString name = controlName(control);
    QWidget* widget = window_->control(name);
    const QString unicode = fromGbk(text);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(unicode);
        line->setCursorPosition(0);  // as after creation: the start in view
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        if (CssView* view = CssView::of(plain)) {
            view->dropFormatted();  // a new text is shown as it comes
        }
        plain->setPlainText(unicode);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(unicode);
        return;
    } else {
        return;
    }
    // Most texts read back exactly through the box's own Unicode; only the
    // others (line breaks in a one-line box, bytes GBK does not map) are
    // kept beside the box, so a large style sheet is held by the box alone.
    QString shown = boxText(widget);
    if (shown == unicode && toGbk(unicode) == text) {
        written_.remove(name);
    } else {
        written_.insert(name, Written{Text(text), std::move(shown)});
    }
}

void WindowForm::setCaption(std::string_view control, std::string_view caption) {
    if (!window_) {
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(window_->control(controlName(control)))) {
        button->setText(fromGbk(caption));
    }
}

void WindowForm::setDisabled(std::string_view control, bool disabled) {
    if (!window_) {
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(window_->control(controlName(control)))) {
        button->setDisabled(disabled);
    }
}

}  // namespace kessrune
