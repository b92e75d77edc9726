// The title the window system shows: on X11 Qt appends the application's
// display name to a window's title when one is set, which only the window's
// _NET_WM_NAME and WM_NAME show. Runs under Xvfb on the xcb platform (see
// CMakeLists.txt).
#include <xcb/xcb.h>

#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/program.h"

using namespace kessrune;

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The bytes of a text property of `window`; "" when it has none.
std::string textProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                         xcb_atom_t type) {
    std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr));
    if (!reply)
        return {};
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace

class TitleX11Test : public QObject {
    Q_OBJECT

  private slots:
    void titleIsTheCaptionAlone() {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr)
            QSKIP("not on the xcb platform");
        std::unique_ptr<MainWindow> window = createMainWindow();
        showCentred(*window);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        xcb_connection_t* connection = x11->connection();
        const auto id = static_cast<xcb_window_t>(window->winId());
        const QString caption = QString::fromUtf8("Kessrune（Lumaret专版）");
        auto shown = [&](xcb_atom_t property, xcb_atom_t type) {
            return QString::fromStdString(textProperty(connection, id, property, type));
        };
        QCOMPARE(shown(atom(connection, "_NET_WM_NAME"), atom(connection, "UTF8_STRING")), caption);
        // WM_NAME is in compound text; it too names the program only once.
        QCOMPARE(shown(XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY).count(u"Kessrune"), 1);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    configureApplication(app);
    TitleX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "title_x11_test.moc"
