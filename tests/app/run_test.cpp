// The run behind 按钮1 in the real window, over HTTP on loopback: a sample
// shop typed into 编辑框1 ends in the five result controls; a window closed
// mid-run stops at once, makes no further requests and ends the loop with 0.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>

#include "app/analysis_run.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/window_form.h"
#include "http/charset.h"
#include "http/fetch.h"
#include "samples/sample_server.h"
#include "samples/sample_shops.h"
#include "testing/stalling_server.h"
#include "tests/analysis/hostile_page.h"

using namespace kessrune;

namespace {

QString u(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Drops the HTTP layer's kept connections when it goes, so that a server
// declared before it can stop without waiting out their keep-alive.
struct DropKeptConnections {
    ~DropKeptConnections() { resetFetchStore(); }
};

}  // namespace

class RunTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window_ = createMainWindow();
        showCentred(*window_);
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void sampleShop_data();
    void sampleShop();
    void secondRunKeepsTheButtonReady();
    void neitherWordMakesNoRequest();
    void hostilePageAddsNoHeaderLine();
    void closingMidRunAbortsAndEndsWithZero();

  private:
    QLineEdit* addressBox() { return window_->addressBox(); }
    QPushButton* analyzeButton() { return window_->analyzeButton(); }
    QString labelText(const char* name) {
        return qobject_cast<QLabel*>(window_->control(u(name)))->text();
    }
    void typeAddress(const std::string& address) {
        addressBox()->setFocus();
        addressBox()->selectAll();
        QTest::keyClick(addressBox(), Qt::Key_Delete);
        QTest::keyClicks(addressBox(), u(address));
        QCOMPARE(addressBox()->text(), u(address));
    }

    std::unique_ptr<MainWindow> window_;
};

void RunTest::sampleShop_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < samples::sampleShops().size(); ++i) {
        QTest::newRow(std::string(samples::sampleShops()[i].directory).c_str())
            << static_cast<int>(i);
    }
}

void RunTest::sampleShop() {
    QFETCH(int, index);
    const samples::SampleShop& shop = samples::sampleShops()[static_cast<size_t>(index)];
    samples::SampleServer server;
    DropKeptConnections drop;
    QVERIFY2(server.start(), server.failure().c_str());
    const std::string address = server.shopAddress(shop);
    typeAddress(address);

    QTest::mouseClick(analyzeButton(), Qt::LeftButton);

    QTRY_COMPARE(analyzeButton()->text(), u("分析css"));
    QVERIFY(analyzeButton()->isEnabled());
    QCOMPARE(labelText("透明标签5"), u(shop.shopName));
    QCOMPARE(labelText("透明标签6"), u(shop.shopkeeper));
    QCOMPARE(labelText("透明标签2"), u(shop.templateKind));
    QCOMPARE(window_->cssAddressBox()->text(), u(server.cssAddress(shop)));
    QString expected = u(samples::shopFile(shop, "expected.css"));
    expected.replace(u("\r\n"), u("\n"));
    QCOMPARE(window_->cssCodeBox()->toPlainText(), expected);
    QVERIFY(QApplication::overrideCursor() == nullptr);  // the busy cursor is gone

    // The requests, in order: the shop page each time, then the style sheet,
    // each with the fixed profile and the address itself as the Referer.
    const std::vector<samples::SeenRequest> seen = server.requests();
    QCOMPARE(static_cast<int>(seen.size()), shop.requests);
    const std::string pagePath = "/" + std::string(shop.directory) + "/";
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        QCOMPARE(seen[i].method, std::string("GET"));
        QCOMPARE(seen[i].path, pagePath);
        QCOMPARE(seen[i].header("Referer"), address);
        QCOMPARE(seen[i].header("Accept-Language"), std::string("zh-cn"));
        QCOMPARE(seen[i].header("Content-Type"), std::string("application/x-www-form-urlencoded"));
        QVERIFY(!seen[i].header("User-Agent").empty());
    }
    const std::string css = server.cssAddress(shop);
    QCOMPARE(seen.back().path, css.substr(css.find('/', std::string_view("http://").size())));
    QCOMPARE(seen.back().header("Referer"), css);
}

void RunTest::secondRunKeepsTheButtonReady() {
    samples::SampleServer server;
    DropKeptConnections drop;
    QVERIFY2(server.start(), server.failure().c_str());
    const samples::SampleShop& shop = samples::sampleShops()[0];
    typeAddress(server.shopAddress(shop));
    QTest::mouseClick(analyzeButton(), Qt::LeftButton);
    QTRY_VERIFY(analyzeButton()->isEnabled());
    const QString css = window_->cssCodeBox()->toPlainText();
    QTest::mouseClick(analyzeButton(), Qt::LeftButton);
    QTRY_VERIFY(analyzeButton()->isEnabled());
    QCOMPARE(window_->cssCodeBox()->toPlainText(), css);
    QCOMPARE(static_cast<int>(server.requests().size()), 2 * shop.requests);
}

void RunTest::neitherWordMakesNoRequest() {
    testing::StallingServer server;
    DropKeptConnections drop;
    QVERIFY2(server.start(), server.failure().c_str());
    typeAddress(server.url("/shop.example.com/"));
    QTest::mouseClick(analyzeButton(), Qt::LeftButton);
    // No pass runs, 编辑框2 is still empty: the button stays busy.
    QTRY_COMPARE(analyzeButton()->text(), u("请稍候..."));
    QVERIFY(!analyzeButton()->isEnabled());
    QVERIFY(server.paths().empty());
    QCOMPARE(labelText("透明标签5"), QString());
}

// The style-sheet link of the page carries CR LF and header lines; the
// request for it carries them inside its Referer only.
void RunTest::hostilePageAddsNoHeaderLine() {
    samples::SampleServer server;
    DropKeptConnections drop;
    QVERIFY(server.start());
    const std::string sheet = server.origin() + "/css/a.css?v=1";
    server.addPage("/hostile.taobao.com/", testing::hostileShopPage(sheet));
    typeAddress(server.origin() + "/hostile.taobao.com/");
    QTest::mouseClick(analyzeButton(), Qt::LeftButton);
    QTRY_COMPARE(analyzeButton()->text(), u("分析css"));
    const std::vector<samples::SeenRequest> seen = server.requests();
    QCOMPARE(static_cast<int>(seen.size()), 4);
    QCOMPARE(testing::injectedLineProblem(seen, "127.0.0.1:" + std::to_string(server.port())),
             std::string());
}

void RunTest::closingMidRunAbortsAndEndsWithZero() {
    testing::StallingServer server;
    DropKeptConnections drop;
    QVERIFY2(server.start(), server.failure().c_str());
    typeAddress(server.url("/stall.taobao.com/"));
    bool paintedMidRun = false;
    bool inputIgnored = false;
    QElapsedTimer sinceClose;

    // Everything happens inside the message loop, as in the program: the
    // click starts the run; once the server holds the first request the
    // window is checked and then closed by its close box.
    std::thread watcher([&] {
        if (!server.waitForRequest(std::chrono::seconds(10))) {
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(2); });
            return;
        }
        QMetaObject::invokeMethod(window_.get(), [&] {
            paintedMidRun = !window_->grab().isNull() &&
                            analyzeButton()->text() == u("请稍候...") &&
                            QApplication::overrideCursor() &&
                            QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            QTest::keyClicks(addressBox(), u("zzz"));  // the boxes take no input mid-run
            inputIgnored = !addressBox()->text().endsWith(u("zzz"));
            sinceClose.start();
            window_->close();
        });
    });
    QTimer::singleShot(0, analyzeButton(),
                       [&] { QTest::mouseClick(analyzeButton(), Qt::LeftButton); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(3); });
    guard.start(20'000);
    const int status = QApplication::exec();
    watcher.join();

    QCOMPARE(status, 0);
    QVERIFY(paintedMidRun);
    QVERIFY(inputIgnored);
    QVERIFY(!window_->isVisible());
    // The stalled transfer was dropped at once, well before the server
    // would have answered, and the run asked for nothing more.
    QVERIFY2(sinceClose.elapsed() < 5000, qPrintable(QString::number(sinceClose.elapsed())));
    QCOMPARE(server.paths().size(), size_t{1});
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    configureApplication(app);
    RunTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "run_test.moc"
