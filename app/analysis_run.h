// The click of 按钮1: one analyzeShop run over the window's controls.
#ifndef KESSRUNE_APP_ANALYSIS_RUN_H
#define KESSRUNE_APP_ANALYSIS_RUN_H

#include <QObject>
#include <stop_token>

#include "analysis/analysis.h"
#include "app/window_form.h"

namespace kessrune {

class MainWindow;

// Runs analyzeShop with the window's control operations and a fetch that is
// fetchPage(address). The run itself stays on the user-interface thread;
// each transfer waits on a worker thread while the window keeps painting.
// While a run lasts the window takes no input (a plain Esc still closes it),
// shows the busy cursor, and can be closed: closing it aborts the transfer in
// progress at once and the rest of the run makes no further requests.
class AnalysisRunner final : public QObject {
    Q_OBJECT
  public:
    // Owned by `window`.
    explicit AnalysisRunner(MainWindow& window);

    // The click handler. Does nothing while a run is already going.
    void run();

    bool running() const { return running_; }

    // The window's one session, for the program's whole life: never reset
    // between runs.
    AnalysisSession& session() { return session_; }

    // The window's control operations as the runs use them: the one form
    // that hands back, byte for byte, what the runs wrote.
    WindowForm& form() { return form_; }

  signals:
    // A run has ended. `address` is 编辑框1 as the run read it; `showedSheet`
    // says that the last text the run wrote into 编辑框4 is not empty, i.e.
    // the run ended with a style sheet of its own on show.
    void finished(const QString& address, bool showedSheet);

  private:
    Text fetchWhileResponsive(const Text& address);

    MainWindow& window_;
    WindowForm form_;
    AnalysisSession session_;
    bool running_ = false;
    // Stopped when the window closes mid-run: ends the transfer at once.
    std::stop_source stop_;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_ANALYSIS_RUN_H
