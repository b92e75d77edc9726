// openCssAddress: the click of 按钮2 hands the text of 编辑框2 to the
// desktop's opener for the default web browser.
#ifndef KESSRUNE_APP_CSS_OPENER_H
#define KESSRUNE_APP_CSS_OPENER_H

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace kessrune {

class MainWindow;

// Receives the address exactly as the box holds it: not trimmed, not
// checked, "" when the box is empty.
using AddressOpener = std::function<void(const QString& address)>;

// The program that opens addresses: the environment's KESSRUNE_OPENER when
// it is set and not empty (tests give a missing program or /bin/false),
// otherwise "xdg-open".
QString openerProgram();

// Starts `program` with `address` as its one argument, never through a
// shell, watched without waiting by a QProcess that is a child of `owner`.
// `failed` runs once, on owner's thread, with the reason in the user's words
// when the program cannot be started, crashes or exits with a status other
// than 0 (its last line on stderr appended when it wrote one). Starts
// nothing and returns false for an empty address; true otherwise.
bool startOpener(const QString& program, const QString& address, QObject& owner,
                 std::function<void(const QString& reason)> failed);

// The desktop's opener for the window: startOpener(openerProgram(), ...);
// when it fails, a message box over `window` says why and the address is
// put on the clipboard for pasting into a browser by hand. An empty address
// opens nothing and shows nothing.
void openWithDesktop(const QString& address, QWidget& window);

// Replaces the opener that openCssAddress uses (tests record what it gets);
// returns the previous one. An empty function stands for openWithDesktop.
AddressOpener setAddressOpener(AddressOpener opener);

// The text of 编辑框2, unchanged, to the opener.
void openCssAddress(MainWindow& window);

}  // namespace kessrune

#endif  // KESSRUNE_APP_CSS_OPENER_H
