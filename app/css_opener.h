// openCssAddress: the click of 按钮2 hands the text of 编辑框2 to the
// desktop's opener for the default web browser.
#ifndef KESSRUNE_APP_CSS_OPENER_H
#define KESSRUNE_APP_CSS_OPENER_H

#include <QString>
#include <functional>

namespace kessrune {

class MainWindow;

// Receives the address exactly as the box holds it: not trimmed, not
// checked, "" when the box is empty. Its outcome is not looked at.
using AddressOpener = std::function<void(const QString& address)>;

// The desktop's opener: `xdg-open` started with the address as its one
// argument, never through a shell, and not waited for.
void openWithDesktop(const QString& address);

// Replaces the opener that openCssAddress uses (tests record what it gets);
// returns the previous one. An empty function restores openWithDesktop.
AddressOpener setAddressOpener(AddressOpener opener);

// The text of 编辑框2, unchanged, to the opener. Shows nothing.
void openCssAddress(MainWindow& window);

}  // namespace kessrune

#endif  // KESSRUNE_APP_CSS_OPENER_H
