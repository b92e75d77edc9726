#include "app/analysis_run.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <thread>
#include <utility>

#include "app/main_window.h"
#include "http/fetch.h"

namespace kessrune {
namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

// Swallows the user's input to one window while it lives; a plain Esc still
// closes the window. Painting, resizing by the system and closing go on.
class InputBlocker final : public QObject {
  public:
    explicit InputBlocker(MainWindow& window) : window_(window) { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isUserInput(event->type())) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &window_) {
            return false;
        }
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const auto held =
                key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
            if (key->key() == Qt::Key_Escape && held == Qt::NoModifier) {
                window_.close();
            }
        }
        return true;
    }

  private:
    MainWindow& window_;
};

// Everything a run changes outside the controls, put back when it ends: the
// running mark, the busy cursor and the input block.
class RunScope {
  public:
    RunScope(bool& running, MainWindow& window) : running_(running), blocker_(window) {
        running_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~RunScope() {
        QApplication::restoreOverrideCursor();
        running_ = false;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    bool& running_;
    InputBlocker blocker_;
};

// The run's form, noting whether the last text written into 编辑框4 holds
// anything.
class SheetWatch final : public Form {
  public:
    explicit SheetWatch(Form& form) : form_(form) {}
    bool showedSheet() const { return showedSheet_; }

    Text readText(std::string_view control) override { return form_.readText(control); }
    void setText(std::string_view control, std::string_view text) override {
        if (control == controls::kCssCodeBox) {
            showedSheet_ = !text.empty();
        }
        form_.setText(control, text);
    }
    void setCaption(std::string_view control, std::string_view caption) override {
        form_.setCaption(control, caption);
    }
    void setDisabled(std::string_view control, bool disabled) override {
        form_.setDisabled(control, disabled);
    }

  private:
    Form& form_;
    bool showedSheet_ = false;
};

}  // namespace

AnalysisRunner::AnalysisRunner(MainWindow& window)
    : QObject(&window), window_(window), form_(window) {
    connect(&window, &MainWindow::closing, this, [this] {
        if (running_) {
            stop_.request_stop();
        }
    });
}

void AnalysisRunner::run() {
    if (running_) {
        return;  // a run is never re-entered
    }
    stop_ = std::stop_source();
    const QString typed = window_.addressBox()->text();  // no input reaches it mid-run
    SheetWatch watch(form_);
    {
        RunScope scope(running_, window_);
        analyzeShop(session_, watch,
                    [this](const Text& address) { return fetchWhileResponsive(address); });
    }
    emit finished(typed, watch.showedSheet());
}

Text AnalysisRunner::fetchWhileResponsive(const Text& address) {
    if (stop_.stop_requested()) {
        return {};  // the window has closed: no further requests
    }
    Text page;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            page = fetchPage(address, {.stop = stop_.get_token()});
        } catch (...) {
            page.clear();  // out of memory, say: the fetch counts as failed
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Returns when the page is in, or at once when the application quits
    // (the window was closed); the aborted transfer then ends within moments.
    loop.exec();
    worker.join();
    if (stop_.stop_requested()) {
        return {};
    }
    return page;  // moved, not copied: it may be a whole style sheet
}

}  // namespace kessrune
