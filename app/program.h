// Start-up and end of the kessrune program.
#ifndef KESSRUNE_APP_PROGRAM_H
#define KESSRUNE_APP_PROGRAM_H

#include <memory>

class QApplication;

namespace kessrune {

class MainWindow;
struct AnalysisSession;

// The look every window of the program shares, whatever the desktop: the
// Fusion style with its own palette, "Noto Sans CJK SC" at 9 pt as the
// default font (asked for by family, so that fontconfig gives the Simplified
// Chinese glyph forms), the program's icon, name and version.
void configureApplication(QApplication& app);

// Loads the main window: creates it hidden with every control, wires 按钮1
// to the analysis and 按钮2 to openCssAddress, gives 编辑框4 its views and
// save actions (CssActions) and 编辑框1 the addresses of earlier runs that
// showed a style sheet (AddressHistory), and raises the created event
// (onWindowCreated), all before the window is first shown.
std::unique_ptr<MainWindow> createMainWindow();

// Shows the window for the first time, its outer frame centred on its
// screen: ((screen - 750) / 2, (screen - 606) / 2).
void showCentred(MainWindow& window);

// The program: the toolkit, the exit routine, the main window, the message
// loop until the last window is gone. Returns 0.
int startProgram(int argc, char** argv);

// The one exit routine, run once as the message loop ends: releases the
// working text of the window's session.
void onProgramExit(AnalysisSession& session);

}  // namespace kessrune

#endif  // KESSRUNE_APP_PROGRAM_H
