#include "app/program.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>

#include "analysis/analysis.h"
#include "app/address_history.h"
#include "app/analysis_run.h"
#include "app/css_actions.h"
#include "app/css_opener.h"
#include "app/main_window.h"
#include "app/select_all.h"
#include "kessrune/version.h"

namespace kessrune {

void configureApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("kessrune"));
    // No display name: on X11 Qt would append it to every window's title,
    // and the main window's caption is its whole title.
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kessrune.Kessrune"));
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);  // the application owns it
        QApplication::setPalette(fusion->standardPalette());
    }
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    QApplication::setFont(font);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kessrune/kessrune.png")));
    app.setQuitOnLastWindowClosed(true);
}

std::unique_ptr<MainWindow> createMainWindow() {
    auto window = std::make_unique<MainWindow>();
    MainWindow* w = window.get();
    auto* runner = new AnalysisRunner(*w);  // owned by the window
    QObject::connect(w->analyzeButton(), &QPushButton::clicked, runner, &AnalysisRunner::run);
    QObject::connect(w->openButton(), &QPushButton::clicked, w, [w] { openCssAddress(*w); });
    new CssActions(*w, runner->form());                    // owned by the window
    auto* history = new AddressHistory(*w->addressBox());  // owned by the box
    QObject::connect(runner, &AnalysisRunner::finished, history,
                     [history](const QString& address, bool showedSheet) {
                         if (showedSheet) {
                             history->remember(address);
                         }
                     });
    onWindowCreated(*w);
    return window;
}

void showCentred(MainWindow& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) {
        window.move(centredPosition(screen->geometry().size()) + screen->geometry().topLeft());
    }
    window.show();
}

int startProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    configureApplication(app);
    std::unique_ptr<MainWindow> window = createMainWindow();
    AnalysisSession& session = window->findChild<AnalysisRunner*>()->session();
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&session] { onProgramExit(session); });
    showCentred(*window);
    QApplication::exec();
    return 0;
}

void onProgramExit(AnalysisSession& session) {
    Text().swap(session.workingText);
}

}  // namespace kessrune
