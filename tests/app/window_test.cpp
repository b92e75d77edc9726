// The main window as the user meets it: its controls, frame, keys, the GBK
// edge of the control operations and the 按钮2 opener.
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/css_opener.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/select_all.h"
#include "app/window_form.h"

using namespace kessrune;

namespace {

// GBK bytes, written out so that the test does not lean on the converter.
constexpr char kGbkShop[] = "\xb5\xea\xc6\xcc";        // 店铺
constexpr char kGbkShopkeeper[] = "\xd5\xc6\xb9\xf1";  // 掌柜
constexpr char kGbkColon[] = "\xa3\xba";               // ：

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window_ = createMainWindow();
        form_ = std::make_unique<WindowForm>(*window_);
    }
    void cleanup() {
        form_.reset();
        window_.reset();
        setAddressOpener({});
    }

    void controlTree_data();
    void controlTree();
    void controlProperties();
    void statusBar();
    void fixedSizeAndFlags();
    void centring_data();
    void centring();
    void shownCentredOnItsScreen();
    void tabOrder();
    void escape_data();
    void escape();
    void enterAndTabInCssCodeBox();
    void selectAll_data();
    void selectAll();
    void selectAllOnKeyRepeatAndEmptyBox();
    void walkRunsOnce();
    void plainATypes();
    void openerGetsTheBoxTextUnchanged();
    void megabyteRoundTripThroughCssAddressBox();
    void chineseCrossesTheGbkEdge();

  private:
    QWidget* w(const char* name) { return window_->control(u(name)); }
    void showAndActivate() {
        showCentred(*window_);
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<WindowForm> form_;
};

void WindowTest::controlTree_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, const char* cls, const char* parent, QRect place,
                  const char* text) {
        QTest::newRow(name) << u(name) << u(cls) << u(parent) << place << u(text);
    };
    row("分组框1", "QGroupBox", "窗口", {8, 8, 728, 60}, "输入店铺地址");
    row("编辑框1", "QLineEdit", "分组框1", {11, 20, 585, 24}, "http://lumaret.taobao.com/");
    row("按钮1", "QPushButton", "分组框1", {596, 20, 120, 24}, "分析css");
    row("分组框4", "QGroupBox", "窗口", {8, 72, 728, 60}, "店铺信息");
    row("透明标签5", "QLabel", "分组框4", {27, 27, 237, 16}, "");
    row("透明标签6", "QLabel", "分组框4", {254, 27, 200, 16}, "");
    row("透明标签2", "QLabel", "分组框4", {434, 27, 286, 16}, "");
    row("分组框2", "QGroupBox", "窗口", {8, 137, 728, 60}, "css页面地址");
    row("编辑框2", "QLineEdit", "分组框2", {14, 22, 680, 24}, "");
    row("按钮2", "QPushButton", "分组框2", {695, 22, 20, 24}, ">");
    row("分组框3", "QGroupBox", "窗口", {8, 204, 728, 228}, "整店css代码");
    row("编辑框4", "QPlainTextEdit", "分组框3", {14, 22, 700, 190}, "");
    row("分组框5", "QGroupBox", "窗口", {8, 440, 728, 112}, "帮助说明");
    row("透明标签1", "QLabel", "分组框5", {24, 24, 680, 72},
        "1、支持淘宝旺铺专业版和天猫店铺；\r\n"
        "2、支持默认模板和购买sdk模板的店铺；\r\n"
        "3、部分杀毒软件可能会误报本软件，请放心使用；\r\n"
        "4、抓取速度依网速而定，一般一两秒完成；若取不出，请检查是否输入了正确的地址，并重启"
        "软件再试；\r\n");
    row("状态条1", "QStatusBar", "窗口", {0, 558, 744, 20}, "");
}

void WindowTest::controlTree() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    QWidget* widget = window_->control(name);
    QVERIFY(widget);
    QCOMPARE(window_->findChildren<QWidget*>(name).size(), 1);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), place);
    QVERIFY(widget->isEnabled());
    QVERIFY(!widget->isHidden());
    QString shown;
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        shown = box->title();
        QCOMPARE(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        shown = line->text();
        QCOMPARE(line->cursorPosition(), 0);
        QVERIFY(line->maxLength() > 1 << 30);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        shown = button->text();
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        shown = label->text();
        QVERIFY(!label->autoFillBackground());
        QCOMPARE(label->textFormat(), Qt::PlainText);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        shown = plain->toPlainText();
    }
    QCOMPARE(shown, text);
    const bool tabStop = qobject_cast<QLineEdit*>(widget) || qobject_cast<QPushButton*>(widget) ||
                         qobject_cast<QPlainTextEdit*>(widget);
    QCOMPARE(widget->focusPolicy() != Qt::NoFocus, tabStop);
}

void WindowTest::controlProperties() {
    // The default GUI font: the Simplified Chinese family at 9 pt, really found.
    for (const char* name : {"分组框1", "编辑框1", "按钮1", "透明标签5", "编辑框2", "状态条1"}) {
        const QFont font = w(name)->font();
        QCOMPARE(font.family(), u("Noto Sans CJK SC"));
        QCOMPARE(font.pointSize(), 9);
        QCOMPARE(QFontInfo(font).family(), u("Noto Sans CJK SC"));
    }
    QCOMPARE(QApplication::style()->name(), u("fusion"));

    auto* code = qobject_cast<QPlainTextEdit*>(w("编辑框4"));
    QCOMPARE(code->palette().color(QPalette::Active, QPalette::Base), QColor(96, 96, 96));
    QCOMPARE(code->palette().color(QPalette::Inactive, QPalette::Base), QColor(96, 96, 96));
    QCOMPARE(code->palette().color(QPalette::Active, QPalette::Text), QColor(255, 255, 255));
    QCOMPARE(code->font().pixelSize(), 16);
    QCOMPARE(code->font().weight(), QFont::Normal);
    QCOMPARE(code->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(code->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(code->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!code->isReadOnly());

    for (const char* name : {"编辑框1", "编辑框2"}) {
        auto* line = qobject_cast<QLineEdit*>(w(name));
        QCOMPARE(line->palette().color(QPalette::Base), QColor(255, 255, 255));
        QCOMPARE(line->palette().color(QPalette::Text), QColor(0, 0, 0));
        QCOMPARE(line->echoMode(), QLineEdit::Normal);
        QVERIFY(!line->isReadOnly());
    }
    for (const char* name : {"透明标签5", "透明标签6", "透明标签2"}) {
        auto* label = qobject_cast<QLabel*>(w(name));
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
        QVERIFY(!label->wordWrap());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    }
    auto* help = qobject_cast<QLabel*>(w("透明标签1"));
    QVERIFY(help->wordWrap());
    QCOMPARE(help->alignment(), Qt::AlignLeft | Qt::AlignTop);
}

void WindowTest::statusBar() {
    auto* bar = qobject_cast<QStatusBar*>(w("状态条1"));
    QVERIFY(!bar->isSizeGripEnabled());
    auto* pane1 = bar->findChild<QLabel*>(u("状态条1窗格1"));
    auto* pane2 = bar->findChild<QLabel*>(u("状态条1窗格2"));
    QVERIFY(pane1 && pane2);
    QCOMPARE(pane1->text(), QString());
    QCOMPARE(pane1->width(), 630);
    QCOMPARE(pane2->text(), u(" 版本号：v1.1"));
    showCentred(*window_);
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QCOMPARE(bar->geometry(), QRect(0, 558, 744, 20));
    QCOMPARE(pane1->width(), 630);
    QVERIFY(pane2->geometry().right() < bar->width());
    QVERIFY(pane2->isVisible());
}

void WindowTest::fixedSizeAndFlags() {
    QCOMPARE(window_->windowTitle(), u("Kessrune（Lumaret专版）"));
    QCOMPARE(window_->size(), QSize(744, 578));
    QCOMPARE(window_->minimumSize(), QSize(744, 578));
    QCOMPARE(window_->maximumSize(), QSize(744, 578));
    const Qt::WindowFlags flags = window_->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(!window_->windowIcon().isNull());
    QCOMPARE(window_->windowIcon().pixmap(QSize(256, 256)).size(), QSize(256, 256));
    QVERIFY(window_->windowIcon().pixmap(QSize(256, 256)).hasAlphaChannel());
    QVERIFY(!window_->windowIcon().pixmap(QSize(16, 16)).isNull());
    window_->resize(900, 700);
    QCOMPARE(window_->size(), QSize(744, 578));
}

void WindowTest::centring_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QPoint>("place");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << QPoint(585, 237);
    QTest::newRow("1366x768") << QSize(1366, 768) << QPoint(308, 81);
    QTest::newRow("odd") << QSize(1025, 767) << QPoint(137, 80);
    QTest::newRow("outer size") << QSize(750, 606) << QPoint(0, 0);
    // Smaller than the window: truncated toward zero, never floored.
    QTest::newRow("small") << QSize(640, 480) << QPoint(-55, -63);
    QTest::newRow("just smaller") << QSize(749, 601) << QPoint(0, -2);
}

void WindowTest::centring() {
    QFETCH(QSize, screen);
    QFETCH(QPoint, place);
    QCOMPARE(centredPosition(screen), place);
}

void WindowTest::shownCentredOnItsScreen() {
    showCentred(*window_);
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    const QRect screen = window_->screen()->geometry();
    QCOMPARE(window_->frameGeometry().topLeft(), screen.topLeft() + centredPosition(screen.size()));
    QVERIFY(window_->pos() != QPoint(50, 50));
}

void WindowTest::tabOrder() {
    showAndActivate();
    w("编辑框1")->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), w("编辑框1"));
    for (const char* next : {"按钮1", "编辑框2", "按钮2", "编辑框4", "编辑框1"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), u(next));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), u("编辑框4"));
}

void WindowTest::escape_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("closes");
    for (const char* name : {"编辑框1", "按钮1", "编辑框2", "按钮2", "编辑框4"}) {
        QTest::addRow("%s plain", name) << u(name) << Qt::KeyboardModifiers() << true;
    }
    for (const char* name : {"编辑框1", "编辑框4", "按钮1"}) {
        QTest::addRow("%s shift", name)
            << u(name) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
        QTest::addRow("%s ctrl", name)
            << u(name) << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
        QTest::addRow("%s alt", name) << u(name) << Qt::KeyboardModifiers(Qt::AltModifier) << false;
    }
}

void WindowTest::escape() {
    QFETCH(QString, focus);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, closes);
    showAndActivate();
    QSignalSpy closing(window_.get(), &MainWindow::closing);
    QWidget* target = window_->control(focus);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    if (!closes) {
        QTest::keyClick(target, Qt::Key_Escape, modifiers);
        QVERIFY(window_->isVisible());
        QCOMPARE(closing.size(), 0);
        return;
    }
    // Inside the message loop, as in the program: Esc closes the window and
    // the loop ends with status 0.
    QTimer::singleShot(0, target, [&] { QTest::keyClick(target, Qt::Key_Escape, modifiers); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    guard.start(10'000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window_->isVisible());
    QCOMPARE(closing.size(), 1);
}

void WindowTest::enterAndTabInCssCodeBox() {
    showAndActivate();
    auto* code = qobject_cast<QPlainTextEdit*>(w("编辑框4"));
    code->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), code);
    QTest::keyClicks(code, u("a{}"));
    QTest::keyClick(code, Qt::Key_Return);
    QTest::keyClicks(code, u("b"));
    QTest::keyClick(code, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(code->toPlainText(), u("a{}\nb\n"));
    QVERIFY(window_->isVisible());
    QTest::keyClick(code, Qt::Key_Tab);
    QCOMPARE(code->toPlainText(), u("a{}\nb\n"));  // no tab inserted
    QCOMPARE(QApplication::focusWidget(), w("编辑框1"));
}

void WindowTest::selectAll_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    for (const char* box : {"编辑框1", "编辑框2", "编辑框4"}) {
        QTest::addRow("%s ctrl", box) << u(box) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::addRow("%s ctrl shift", box)
            << u(box) << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
    }
}

void WindowTest::selectAll() {
    QFETCH(QString, box);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    showAndActivate();
    const char gbk[] = "body{color:red}\r\n\xb5\xea\xc6\xcc .x{}";
    form_->setText(box.toStdString(), gbk);
    QWidget* widget = window_->control(box);
    widget->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), widget);
    const QString before = qobject_cast<QLineEdit*>(widget)
                               ? qobject_cast<QLineEdit*>(widget)->text()
                               : qobject_cast<QPlainTextEdit*>(widget)->toPlainText();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setCursorPosition(3);
        QTest::keyClick(line, Qt::Key_A, modifiers);
        QCOMPARE(line->selectedText(), before);
        QCOMPARE(line->text(), before);  // the key types nothing
    } else {
        auto* plain = qobject_cast<QPlainTextEdit*>(widget);
        QTest::keyClick(plain, Qt::Key_A, modifiers);
        const QTextCursor cursor = plain->textCursor();
        QCOMPARE(cursor.selectionStart(), 0);
        QCOMPARE(cursor.selectionEnd(), before.size());
        QCOMPARE(plain->toPlainText(), before);
    }
}

void WindowTest::selectAllOnKeyRepeatAndEmptyBox() {
    showAndActivate();
    auto* line = qobject_cast<QLineEdit*>(w("编辑框2"));
    line->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), line);
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);  // empty box
    QCOMPARE(line->selectedText(), QString());
    QCOMPARE(line->text(), QString());
    line->setText(u("abc"));
    for (int repeat = 0; repeat < 3; ++repeat) {
        line->deselect();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier,
                        QString(), /*autorep=*/repeat > 0);
        QApplication::sendEvent(line, &press);
        QCOMPARE(line->selectedText(), u("abc"));
    }
    QCOMPARE(line->text(), u("abc"));
}

void WindowTest::walkRunsOnce() {
    QCOMPARE(window_->findChildren<SelectAllFilter*>().size(), 1);
    onWindowCreated(*window_);
    QCOMPARE(window_->findChildren<SelectAllFilter*>().size(), 1);
}

void WindowTest::plainATypes() {
    showAndActivate();
    for (const char* name : {"编辑框1", "编辑框2", "编辑框4"}) {
        QWidget* box = w(name);
        form_->setText(name, "x");
        box->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        if (auto* line = qobject_cast<QLineEdit*>(box)) {
            line->end(false);
            QTest::keyClick(line, Qt::Key_A);
            QCOMPARE(line->text(), u("xa"));
            QVERIFY(!line->hasSelectedText());
        } else {
            auto* plain = qobject_cast<QPlainTextEdit*>(box);
            plain->moveCursor(QTextCursor::End);
            QTest::keyClick(plain, Qt::Key_A);
            QCOMPARE(plain->toPlainText(), u("xa"));
            QVERIFY(!plain->textCursor().hasSelection());
        }
    }
}

void WindowTest::openerGetsTheBoxTextUnchanged() {
    QStringList opened;
    setAddressOpener([&](const QString& address) { opened << address; });
    showAndActivate();
    QTest::mouseClick(w("按钮2"), Qt::LeftButton);
    QCOMPARE(opened, QStringList{QString()});
    QVERIFY(opened.front().isEmpty());

    // Text the analysis wrote, line break included, then edited by hand.
    form_->setText("编辑框2", " http://img.example.com/a.css\r\nx ");
    auto* line = qobject_cast<QLineEdit*>(w("编辑框2"));
    line->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), line);
    line->end(false);
    QTest::keyClicks(line, u(" y  "));
    QTest::mouseClick(w("按钮2"), Qt::LeftButton);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.back(), u(" http://img.example.com/a.css\r\nx  y  "));
    QCOMPARE(form_->readText("编辑框2"), " http://img.example.com/a.css\r\nx  y  ");
}

void WindowTest::megabyteRoundTripThroughCssAddressBox() {
    // A whole page of a megabyte and more: GBK characters, CR LF and LF line
    // breaks, tabs, and a byte pair that is no GBK character.
    Text page;
    for (int line = 0; page.size() < (1u << 20) + 100; ++line) {
        page += "<div class=\"shop-name\">";
        page += kGbkShop;
        page += kGbkColon;
        page += std::to_string(line);
        page += line % 3 ? "\t</div>\r\n" : "</div>\n";
    }
    page += "\x81\x20 end";  // not a GBK character: kept byte for byte all the same
    form_->setText("编辑框2", page);
    QCOMPARE(form_->readText("编辑框2"), page);
    QVERIFY(qobject_cast<QLineEdit*>(w("编辑框2"))->text().size() > 700'000);

    // Edited by hand, the box hands back its own text, line breaks and all.
    Text valid = page.substr(0, page.size() - 6);
    form_->setText("编辑框2", valid);
    auto* line = qobject_cast<QLineEdit*>(w("编辑框2"));
    line->end(false);
    line->insert(u("z"));
    QCOMPARE(form_->readText("编辑框2"), valid + "z");

    form_->setText("编辑框4", page);
    QCOMPARE(form_->readText("编辑框4"), page);
}

void WindowTest::chineseCrossesTheGbkEdge() {
    const Text name = Text(kGbkShop) + kGbkColon + "Lumaret";
    form_->setText("透明标签5", name);
    QCOMPARE(qobject_cast<QLabel*>(w("透明标签5"))->text(), u("店铺：Lumaret"));
    form_->setText("透明标签5", "");
    QCOMPARE(qobject_cast<QLabel*>(w("透明标签5"))->text(), QString());

    form_->setCaption("按钮1", "\xc7\xeb\xc9\xd4\xba\xf2...");  // 请稍候...
    QCOMPARE(qobject_cast<QPushButton*>(w("按钮1"))->text(), u("请稍候..."));
    form_->setDisabled("按钮1", true);
    QVERIFY(!w("按钮1")->isEnabled());
    form_->setDisabled("按钮1", false);
    QVERIFY(w("按钮1")->isEnabled());

    showAndActivate();
    auto* address = qobject_cast<QLineEdit*>(w("编辑框1"));
    address->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), address);
    address->clear();
    // Chinese arrives as the input method's commit string.
    QInputMethodEvent typed;
    typed.setCommitString(u("掌柜 http://店铺.taobao.com/"));
    QApplication::sendEvent(address, &typed);
    QCOMPARE(form_->readText("编辑框1"),
             Text(kGbkShopkeeper) + " http://" + kGbkShop + ".taobao.com/");

    // Not an edit box, or no such control: "" and nothing changes.
    QCOMPARE(form_->readText("透明标签5"), Text());
    QCOMPARE(form_->readText("编辑框9"), Text());
    form_->setText("编辑框9", "x");
    form_->setCaption("编辑框1", "x");
    QCOMPARE(address->text(), u("掌柜 http://店铺.taobao.com/"));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    configureApplication(app);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
