// 保存CSS…: the default file name, the bytes written in each encoding and
// view, and a write that fails without leaving anything behind.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>

#include "app/analysis_run.h"
#include "app/css_actions.h"
#include "app/css_view.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/save_css.h"
#include "app/window_form.h"
#include "css/format.h"
#include "http/charset.h"
#include "http/fetch.h"
#include "samples/sample_server.h"
#include "testing/stalling_server.h"

using namespace kessrune;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct DropKeptConnections {
    ~DropKeptConnections() { resetFetchStore(); }
};

QByteArray bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// CR LF kept, GBK Chinese (店铺, 宋体) and a byte pair that is no GBK
// character: only the runs' form hands these back exactly.
const Text kSheetGbk =
    "/* \xb5\xea\xc6\xcc */\r\n"
    "a{font-family:\"\xcb\xce\xcc\xe5\";margin:0 auto}\r\n\x81\x20";

}  // namespace

class SaveTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window_ = createMainWindow();
        actions_ = window_->findChild<CssActions*>();
        form_ = &window_->findChild<AnalysisRunner*>()->form();
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
    }
    void cleanup() { window_.reset(); }

    void fileStem_data();
    void fileStem();
    void defaultFileNameFromTheShop();
    void savesBytesExactly_data();
    void savesBytesExactly();
    void failedSaveLeavesNoFileAndSaysWhy();
    void dialogOffersTheNameAndTheEncodings();
    void folderWithImages();
    void cancelStopsTheImages();

  private:
    std::unique_ptr<MainWindow> window_;
    CssActions* actions_ = nullptr;
    WindowForm* form_ = nullptr;
    std::unique_ptr<QTemporaryDir> folder_;
};

void SaveTest::fileStem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stem");
    QTest::newRow("chinese") << u("兰亭书画") << u("兰亭书画");
    QTest::newRow("forbidden") << u("a/b\\c:d*e?f\"g<h>i|j") << u("abcdefghij");
    QTest::newRow("path") << u("../../etc/passwd") << u("etcpasswd");
    QTest::newRow("controls") << u("a\tb\nc\x7f") + QChar(0x9b) + u("d") << u("abcd");
    QTest::newRow("bidi override") << u("abc") + QChar(0x202e) + u("gpj.exe") << u("abcgpj.exe");
    QTest::newRow("trimmed") << u("　 .hidden. ") << u("hidden");
    QTest::newRow("dots") << u("..") << u("style");
    QTest::newRow("empty") << QString() << u("style");
    QTest::newRow("only forbidden") << u("/:*") << u("style");
    QTest::newRow("bounded") << QString(200, u'店') << QString(kMaxFileStem, u'店');
    // Never half a surrogate pair at the cut.
    QString emoji;
    for (int i = 0; i < 50; ++i) {
        emoji += u("😀");
    }
    QTest::newRow("bounded pairs") << u("a") + emoji << u("a") + emoji.left(kMaxFileStem - 2);
    QTest::newRow("lone surrogate") << u("a") + QChar(0xd800) + u("b") << u("ab");
}

void SaveTest::fileStem() {
    QFETCH(QString, name);
    QFETCH(QString, stem);
    QCOMPARE(safeFileStem(name), stem);
}

void SaveTest::defaultFileNameFromTheShop() {
    auto* label = qobject_cast<QLabel*>(window_->control(u("透明标签5")));
    QCOMPARE(actions_->defaultFileName(), u("style.css"));  // no shop yet
    label->setText(u("店铺名称：兰亭书画"));
    QCOMPARE(actions_->defaultFileName(), u("兰亭书画.css"));
    label->setText(u("店铺名称：A/B: 店"));
    QCOMPARE(actions_->defaultFileName(), u("AB 店.css"));
    QCOMPARE(shopNameFromLabel(u("no colon")), u("no colon"));
}

void SaveTest::savesBytesExactly_data() {
    QTest::addColumn<bool>("formatted");
    QTest::addColumn<bool>("gbk");
    QTest::addColumn<QByteArray>("expected");
    const std::string utf8 = utf8FromGbk(kSheetGbk);
    // The formatted sheet is made of what the box shows (no CR).
    const QString shown = QString::fromStdString(utf8).replace(u("\r\n"), u("\n"));
    const std::string formatted = css::formatSheet(shown.toStdString());
    QTest::newRow("as fetched, UTF-8") << false << false << bytes(utf8);
    QTest::newRow("as fetched, GBK") << false << true << bytes(kSheetGbk);
    QTest::newRow("formatted, UTF-8") << true << false << bytes(formatted);
    QTest::newRow("formatted, GBK") << true << true << bytes(gbkFromUtf8(formatted));
}

void SaveTest::savesBytesExactly() {
    QFETCH(bool, formatted);
    QFETCH(bool, gbk);
    QFETCH(QByteArray, expected);
    form_->setText("编辑框4", kSheetGbk);
    actions_->view().setFormatted(formatted);
    const QString path = folder_->filePath(u("店铺.css"));
    QFile::remove(path);
    {
        QFile old(path);  // an older file of that name is replaced whole
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(4096, 'x'));
    }
    QCOMPARE(actions_->saveCssTo(path, gbk ? SheetEncoding::gbk : SheetEncoding::utf8), QString());
    QCOMPARE(fileBytes(path), expected);
    QVERIFY(!window_->findChild<QMessageBox*>());
    QCOMPARE(QDir(folder_->path()).entryList(QDir::Files), QStringList{u("店铺.css")});
}

void SaveTest::failedSaveLeavesNoFileAndSaysWhy() {
    form_->setText("编辑框4", kSheetGbk);
    // A path under a regular file: no one can write there, root included.
    const QString plain = folder_->filePath(u("plain"));
    {
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString path = plain + u("/店铺.css");
    const QString why = actions_->saveCssTo(path, SheetEncoding::utf8);
    QVERIFY(!why.isEmpty());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u("plain")});
    QCOMPARE(fileBytes(plain), QByteArray());
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = window_->findChild<QMessageBox*>()));
    QVERIFY2(box->text().contains(why), qPrintable(box->text()));
    QVERIFY(box->text().contains(u("店铺.css")));
    box->close();
    QTRY_VERIFY(!window_->findChild<QMessageBox*>());
}

// The dialog that Ctrl+S opens: the shop's name, both encodings, UTF-8
// first; the GBK filter chosen, the file is GBK.
void SaveTest::dialogOffersTheNameAndTheEncodings() {
    qobject_cast<QLabel*>(window_->control(u("透明标签5")))->setText(u("店铺名称：兰亭书画"));
    form_->setText("编辑框4", kSheetGbk);
    const QString path = folder_->filePath(u("chosen.css"));
    QStringList filters;
    QString offered;
    QString firstFilter;
    QTimer::singleShot(0, window_.get(), [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        filters = dialog->nameFilters();
        firstFilter = dialog->selectedNameFilter();
        offered = dialog->findChild<QLineEdit*>(u("fileNameEdit"))->text();
        dialog->selectNameFilter(filters.value(1));
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    actions_->saveAction()->trigger();
    QCOMPARE(filters, (QStringList{u("CSS, UTF-8 (*.css)"), u("CSS, GBK (*.css)")}));
    QCOMPARE(firstFilter, filters.value(0));
    QCOMPARE(offered, u("兰亭书画.css"));
    QCOMPARE(fileBytes(path), bytes(kSheetGbk));
}

// 保存CSS及图片… through the window: the sheet of 编辑框4 whose address is
// 编辑框2, one image that is there and one that is not, on loopback.
void SaveTest::folderWithImages() {
    samples::SampleServer server;
    DropKeptConnections drop;
    QVERIFY2(server.start(), server.failure().c_str());
    const std::string png("\x89PNG\r\n\x1a\n\0\x01binary", 16);
    server.addPage("/css/img/a.png", png, "image/png");
    const std::string sheetAddress = server.origin() + "/css/s.css";
    form_->setText("编辑框2", sheetAddress);
    form_->setText("编辑框4",
                   "/* \xb5\xea */a{background:url(img/a.png)}b{background:url(img/none.png)}");
    qobject_cast<QLabel*>(window_->control(u("透明标签5")))->setText(u("店铺名称：兰亭"));

    const QString folder = folder_->filePath(u("out"));
    actions_->saveWithImagesTo(folder);
    QVERIFY(actions_->savingWithImages());
    QVERIFY(window_->findChild<QProgressDialog*>());
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = window_->findChild<QMessageBox*>()));
    QVERIFY(!actions_->savingWithImages());

    const QString none = QString::fromStdString(server.origin() + "/css/img/none.png");
    const QByteArray sheet = fileBytes(folder + u("/兰亭.css"));
    QVERIFY2(sheet.startsWith(QByteArray("/* \xe5\xba\x97 */")), sheet.constData());  // UTF-8
    QVERIFY2(sheet.contains("images/a.png"), sheet.constData());
    QVERIFY2(sheet.contains(none.toUtf8()), sheet.constData());  // kept at its address
    QCOMPARE(fileBytes(folder + u("/images/a.png")), bytes(png));
    QVERIFY2(box->text().contains(u("兰亭.css")), qPrintable(box->text()));
    QVERIFY2(box->text().contains(u("保存 1 张，失败 1 张")), qPrintable(box->text()));
    QVERIFY2(box->text().contains(none + u(": HTTP 404")), qPrintable(box->text()));
    QCOMPARE(box->detailedText(), none + u(": HTTP 404"));
    QTRY_VERIFY(!window_->findChild<QProgressDialog*>());
}

// Cancel in the progress dialog aborts the transfer that hangs; the sheet is
// still written and the summary says the save was cancelled.
void SaveTest::cancelStopsTheImages() {
    testing::StallingServer server;
    DropKeptConnections drop;
    QVERIFY2(server.start(), server.failure().c_str());
    form_->setText("编辑框2", server.url("/css/s.css"));
    form_->setText("编辑框4", "a{background:url(img/a.png)}");
    const QString folder = folder_->filePath(u("out"));
    actions_->saveWithImagesTo(folder);
    QVERIFY(server.waitForRequest(std::chrono::seconds(10)));
    QElapsedTimer sinceCancel;
    sinceCancel.start();
    auto* progress = window_->findChild<QProgressDialog*>();
    QVERIFY(progress);
    progress->findChild<QPushButton*>()->click();  // the dialog's 取消
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = window_->findChild<QMessageBox*>()));
    QVERIFY2(sinceCancel.elapsed() < 5000, qPrintable(QString::number(sinceCancel.elapsed())));
    QVERIFY2(box->text().contains(u("已取消")), qPrintable(box->text()));
    QVERIFY(fileBytes(folder + u("/style.css")).contains("img/a.png"));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    configureApplication(app);
    SaveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "save_test.moc"
