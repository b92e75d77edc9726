// kessrune-screenshot: the window after analysing a sample shop, as the
// screen shows it, saved to a PNG (docs/screenshot.png); with --formatted,
// with 编辑框4 switched to its formatted view (docs/screenshot-formatted.png).
// Run it under a real X server, e.g. scripts/take-screenshot.sh (Xvfb).
//   kessrune-screenshot [--formatted] OUT.png
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/css_actions.h"
#include "app/main_window.h"
#include "app/program.h"
#include "http/fetch.h"
#include "samples/sample_server.h"
#include "samples/sample_shops.h"

int main(int argc, char** argv) {
    const bool formatted = argc == 3 && std::strcmp(argv[1], "--formatted") == 0;
    if (argc != 2 && !formatted) {
        std::fprintf(stderr, "usage: kessrune-screenshot [--formatted] OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    kessrune::configureApplication(app);
    // A fixed port when it is free, so that the address shown is the same
    // from one screenshot to the next.
    kessrune::samples::SampleServer server;
    if (!server.start(8765) && !server.start()) {
        std::fprintf(stderr, "kessrune-screenshot: %s\n", server.failure().c_str());
        return 1;
    }
    auto window = kessrune::createMainWindow();
    kessrune::showCentred(*window);
    const QString out = QString::fromLocal8Bit(argv[argc - 1]);
    int status = 1;
    QTimer::singleShot(300, window.get(), [&] {
        const auto& shop = kessrune::samples::sampleShops()[0];
        window->addressBox()->setText(QString::fromStdString(server.shopAddress(shop)));
        window->analyzeButton()->click();
        if (formatted) {
            window->findChild<kessrune::CssActions*>()->formatAction()->trigger();
        }
        QTest::qWait(500);  // let everything paint
        const QPixmap shot = window->screen()->grabWindow(window->winId());
        status = shot.save(out, "PNG") ? 0 : 1;
        window->close();
    });
    QApplication::exec();
    window.reset();
    kessrune::resetFetchStore();  // let the server stop at once
    return status;
}
