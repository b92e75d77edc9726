// What the window keeps and hands to the desktop: the addresses of runs that
// showed a style sheet, across two starts of the window, and the opener of
// 按钮2 when the browser cannot be opened.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/address_history.h"
#include "app/analysis_run.h"
#include "app/css_opener.h"
#include "app/main_window.h"
#include "app/program.h"
#include "http/fetch.h"
#include "samples/sample_server.h"
#include "samples/sample_shops.h"

using namespace kessrune;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}
QString u(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

struct DropKeptConnections {
    ~DropKeptConnections() { resetFetchStore(); }
};

QStringList offered(MainWindow& window) {
    QCompleter* completer = window.addressBox()->completer();
    auto* model = completer ? qobject_cast<QStringListModel*>(completer->model()) : nullptr;
    return model ? model->stringList() : QStringList{u("no completer")};
}

void runWith(MainWindow& window, const QString& address) {
    window.addressBox()->setText(address);
    window.findChild<AnalysisRunner*>()->run();
}

// Where QSettings keeps the window's settings in this test run.
QString settingsFile() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + u("/Kessrune/Kessrune.conf");
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        QFile::remove(settingsFile());
        qunsetenv("KESSRUNE_OPENER");
        QVERIFY(scratch_.isValid());
    }
    void cleanup() { qunsetenv("KESSRUNE_OPENER"); }

    void withAddress_data();
    void withAddress();
    void historyAcrossTwoStarts();
    void historyReadBackWithinBounds();
    void openerFails_data();
    void openerFails();
    void openerGetsTheAddressAsOneArgument();
    void emptyAddressStartsNothing();

  private:
    QTemporaryDir scratch_;
};

void DesktopTest::withAddress_data() {
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("first") << QStringList{} << u("a") << QStringList{u("a")};
    QTest::newRow("newest first") << QStringList{u("b")} << u("a") << QStringList{u("a"), u("b")};
    QTest::newRow("moved up, no copy")
        << QStringList{u("b"), u("a"), u("c")} << u("a") << QStringList{u("a"), u("b"), u("c")};
    QTest::newRow("trimmed") << QStringList{u("a")} << u(" a\t") << QStringList{u("a")};
    QTest::newRow("empty is not kept") << QStringList{u("a")} << u("  ") << QStringList{u("a")};
    QStringList full;
    for (int i = 0; i < kHistorySize; ++i) {
        full << QString::number(i);
    }
    QStringList cut = full;
    cut.prepend(u("new"));
    cut.removeLast();
    QTest::newRow("oldest drops out") << full << u("new") << cut;
}

void DesktopTest::withAddress() {
    QFETCH(QStringList, history);
    QFETCH(QString, address);
    QFETCH(QStringList, expected);
    QCOMPARE(kessrune::withAddress(history, address), expected);
}

// Two starts of the window share one settings file: the second offers the
// addresses of the first's runs that showed a style sheet, newest first.
void DesktopTest::historyAcrossTwoStarts() {
    samples::SampleServer server;
    DropKeptConnections drop;
    QVERIFY2(server.start(), server.failure().c_str());
    const QString lanting = u(server.shopAddress(samples::sampleShops()[0]));
    const QString mumu = u(server.shopAddress(samples::sampleShops()[1]));
    QString example;
    {
        auto first = createMainWindow();
        example = first->addressBox()->text();
        QCOMPARE(offered(*first), QStringList{});
        runWith(*first, lanting);
        QVERIFY(!first->cssCodeBox()->toPlainText().isEmpty());
        runWith(*first, mumu);
        runWith(*first, lanting);
        QCOMPARE(offered(*first), (QStringList{lanting, mumu}));
        // No pass runs, so the run shows nothing of its own: 编辑框4 still
        // holds the last sheet, yet the address is not kept.
        runWith(*first, u(server.origin() + "/shop.example.com/"));
        QVERIFY(!first->cssCodeBox()->toPlainText().isEmpty());
        // A shop with no style sheet: the run empties 编辑框4.
        runWith(*first, u(server.origin() + "/none.taobao.com/"));
        QVERIFY(first->cssCodeBox()->toPlainText().isEmpty());
        QCOMPARE(offered(*first), (QStringList{lanting, mumu}));
    }
    QVERIFY(QFile::exists(settingsFile()));

    auto second = createMainWindow();
    QCOMPARE(second->addressBox()->text(), example);  // the box starts as it always has
    QCOMPARE(offered(*second), (QStringList{lanting, mumu}));
    showCentred(*second);
    QApplication::setActiveWindow(second.get());
    QVERIFY(QTest::qWaitForWindowActive(second.get()));
    QLineEdit* box = second->addressBox();
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, u("MUMU"));  // any part of the address, any case
    QCompleter* completer = box->completer();
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->completionCount(), 1);
    QCOMPARE(completer->currentCompletion(), mumu);
    QCOMPARE(box->text(), u("MUMU"));  // offered, not typed in for the user
}

// A settings file edited by hand comes back as the window writes one.
void DesktopTest::historyReadBackWithinBounds() {
    QStringList stored{u(" a "), u("b"), u("a")};
    for (int i = 0; i < 30; ++i) {
        stored << QString::number(i);
    }
    {
        QSettings settings(u("Kessrune"), u("Kessrune"));
        settings.setValue(u("history/addresses"), stored);
    }
    auto window = createMainWindow();
    QStringList expected{u("a"), u("b")};
    for (int i = 0; i < kHistorySize - 2; ++i) {
        expected << QString::number(i);
    }
    QCOMPARE(offered(*window), expected);
}

void DesktopTest::openerFails_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << u("/nonexistent/kessrune-opener") << u("无法启动");
    QTest::newRow("exits 1") << u("/bin/false") << u("以退出码 1 结束");
}

void DesktopTest::openerFails() {
    QFETCH(QString, program);
    QFETCH(QString, reason);
    qputenv("KESSRUNE_OPENER", program.toLocal8Bit());
    auto window = createMainWindow();
    QGuiApplication::clipboard()->setText(u("before"));
    const QString address = u("http://127.0.0.1:1/css/a.css?v=1");
    window->cssAddressBox()->setText(address);
    window->openButton()->click();  // returns at once: the opener is watched, not waited for
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = window->findChild<QMessageBox*>()));
    QVERIFY2(box->text().contains(reason), qPrintable(box->text()));
    QVERIFY(box->text().contains(program));
    QVERIFY(box->text().contains(u("剪贴板")));
    QCOMPARE(QGuiApplication::clipboard()->text(), address);
    box->close();
    QTRY_VERIFY(window->findChildren<QProcess*>().isEmpty());
}

// One argument, exactly the box's text, no shell: a script tells what it got.
void DesktopTest::openerGetsTheAddressAsOneArgument() {
    const QString script = scratch_.filePath(u("opener.sh"));
    const QString out = scratch_.filePath(u("got"));
    {
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out.toLocal8Bit() + "'\n"));
    }
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("KESSRUNE_OPENER", script.toLocal8Bit());
    auto window = createMainWindow();
    const QString address = u("http://a/b c;$(touch pwned) 'q' \"d\" `x` | y &");
    window->cssAddressBox()->setText(address);
    QDir::setCurrent(scratch_.path());
    window->openButton()->click();
    QTRY_VERIFY(QFile::exists(out) && window->findChildren<QProcess*>().isEmpty());
    QFile got(out);
    QVERIFY(got.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(got.readAll()), u("1|") + address);
    QVERIFY(!QFile::exists(scratch_.filePath(u("pwned"))));
    QVERIFY(!window->findChild<QMessageBox*>());  // exit status 0: nothing to say
}

void DesktopTest::emptyAddressStartsNothing() {
    qputenv("KESSRUNE_OPENER", "/bin/false");
    auto window = createMainWindow();
    window->openButton()->click();
    QVERIFY(window->findChildren<QProcess*>().isEmpty());
    QTest::qWait(200);
    QVERIFY(!window->findChild<QMessageBox*>());
}

int main(int argc, char** argv) {
    // A settings folder of this run's own, before anything reads settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    configureApplication(app);
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "desktop_test.moc"
