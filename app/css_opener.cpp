#include "app/css_opener.h"

#include <QLineEdit>
#include <QProcess>
#include <utility>

#include "app/main_window.h"

namespace kessrune {
namespace {

AddressOpener& currentOpener() {
    static AddressOpener opener = openWithDesktop;
    return opener;
}

}  // namespace

void openWithDesktop(const QString& address) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {address});
}

AddressOpener setAddressOpener(AddressOpener opener) {
    if (!opener) {
        opener = openWithDesktop;
    }
    return std::exchange(currentOpener(), std::move(opener));
}

void openCssAddress(MainWindow& window) {
    // The box's own text: what the user sees and edits, line breaks and all.
    currentOpener()(window.cssAddressBox()->text());
}

}  // namespace kessrune
