// 编辑框4's formatted view: the runs the highlighter colours by, the toggle
// through the window (the sheet as fetched comes back byte for byte, and is
// what the control operations read meanwhile), and colours legible on the
// box's grey.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <cmath>
#include <memory>

#include "app/analysis_run.h"
#include "app/css_actions.h"
#include "app/css_highlighter.h"
#include "app/css_view.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/window_form.h"
#include "css/format.h"
#include "http/charset.h"

using namespace kessrune;

Q_DECLARE_METATYPE(std::vector<CssRun>)

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// WCAG 2 relative luminance and contrast ratio.
double channel(int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double luminance(const QColor& colour) {
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The role colour that covers document position `position`, or Plain.
CssRole roleAt(QTextDocument& document, int position) {
    const QTextBlock block = document.findBlock(position);
    const int inBlock = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (inBlock >= range.start && inBlock < range.start + range.length) {
            for (int role = 0; role < kCssRoleCount; ++role) {
                if (range.format.foreground().color() ==
                    cssRoleColour(static_cast<CssRole>(role))) {
                    return static_cast<CssRole>(role);
                }
            }
        }
    }
    return CssRole::Plain;
}

// A sheet as a shop serves it: CR LF line ends, GBK Chinese, a comment over
// three lines, and a byte pair that is no GBK character.
const Text kSheetGbk =
    "/* \xb5\xea\xc6\xcc\r\n  two\r\n*/\r\n"  // 店铺
    "{width:990px}\r\n"
    " a{color:#f5e6c8;font-family:\"\xcb\xce\xcc\xe5\"}\r\n"  // 宋体
    "@media print{.b{margin:0 auto}}\x81\x20";

}  // namespace

class CssViewTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window_ = createMainWindow();
        actions_ = window_->findChild<CssActions*>();
        form_ = &window_->findChild<AnalysisRunner*>()->form();
        QVERIFY(actions_);
    }
    void cleanup() { window_.reset(); }

    void runs_data();
    void runs();
    void toggleKeepsTheSheetAsFetched();
    void shortcutAndMenu();
    void newTextLeavesTheFormattedView();
    void coloursAreLegibleOnTheBox();

  private:
    QPlainTextEdit* box() { return window_->cssCodeBox(); }

    std::unique_ptr<MainWindow> window_;
    CssActions* actions_ = nullptr;
    WindowForm* form_ = nullptr;
};

void CssViewTest::runs_data() {
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<std::vector<CssRun>>("expected");
    using R = CssRole;
    QTest::newRow("empty") << QByteArray() << std::vector<CssRun>{};
    QTest::newRow("rule") << QByteArray("a{b:1px}")
                          << std::vector<CssRun>{
                                 {0, 1, R::Selector}, {2, 1, R::Property}, {4, 3, R::Number}};
    // The whitespace inside a selector stays plain; ".c:hover" is one run.
    QTest::newRow("selector") << QByteArray("a .c:hover{}")
                              << std::vector<CssRun>{{0, 1, R::Selector}, {2, 8, R::Selector}};
    // A nested rule's selector is not a property, even when it has a colon.
    QTest::newRow("nested") << QByteArray("@media x{a:hover{c:d}}")
                            << std::vector<CssRun>{
                                   {0, 6, R::AtRule}, {9, 7, R::Selector}, {17, 1, R::Property}};
    QTest::newRow("values") << QByteArray("a{b:rgb(1,2) url(x.png) \"s\" #fff}")
                            << std::vector<CssRun>{{0, 1, R::Selector}, {2, 1, R::Property},
                                                   {4, 4, R::Function}, {8, 1, R::Number},
                                                   {10, 1, R::Number},  {13, 10, R::String},
                                                   {24, 3, R::String},  {28, 4, R::Number}};
    // One comment over three lines is one run; "@import" outside a block.
    QTest::newRow("comment over lines")
        << QByteArray("/* a\nb\n*/@import \"x\";")
        << std::vector<CssRun>{{0, 9, R::Comment}, {9, 7, R::AtRule}, {17, 3, R::String}};
    // Positions count UTF-16 units: 店 is one, 😀 (four bytes) two.
    QTest::newRow("utf-16 positions")
        << QByteArray("/*店😀*/a{b:1}")
        << std::vector<CssRun>{
               {0, 7, R::Comment}, {7, 1, R::Selector}, {9, 1, R::Property}, {11, 1, R::Number}};
    // A block's property stays one after a comment before it.
    QTest::newRow("comment before declaration")
        << QByteArray("a{/*x*/b:2}")
        << std::vector<CssRun>{
               {0, 1, R::Selector}, {2, 5, R::Comment}, {7, 1, R::Property}, {9, 1, R::Number}};
}

void CssViewTest::runs() {
    QFETCH(QByteArray, sheet);
    QFETCH(std::vector<CssRun>, expected);
    const std::vector<CssRun> got = cssRuns(std::string_view(sheet.constData(), sheet.size()));
    QCOMPARE(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        QCOMPARE(got[i].position, expected[i].position);
        QCOMPARE(got[i].length, expected[i].length);
        QCOMPARE(static_cast<int>(got[i].role), static_cast<int>(expected[i].role));
    }
}

void CssViewTest::toggleKeepsTheSheetAsFetched() {
    form_->setText("编辑框4", kSheetGbk);
    const QString shown = box()->toPlainText();
    box()->moveCursor(QTextCursor::End);
    const int cursor = box()->textCursor().position();
    QSignalSpy changed(&actions_->view(), &CssView::formattedChanged);

    actions_->formatAction()->trigger();
    QVERIFY(actions_->view().formatted());
    QVERIFY(actions_->formatAction()->isChecked());
    const std::string formatted = css::formatSheet(shown.toStdString());
    QCOMPARE(actions_->view().formattedSheet(), std::string_view(formatted));
    QCOMPARE(box()->toPlainText(), QString::fromStdString(formatted));
    QVERIFY(box()->isReadOnly());
    // The control operations still see the sheet as fetched, byte for byte.
    QCOMPARE(form_->readText("编辑框4"), kSheetGbk);
    QCOMPARE(actions_->view().asFetchedText(), shown);
    // The comment is coloured on each of its three lines, the rest by role.
    QTextDocument& document = *box()->document();
    for (const char* piece : {"/*", "two", "*/"}) {
        QCOMPARE(static_cast<int>(roleAt(document, box()->toPlainText().indexOf(u(piece)))),
                 static_cast<int>(CssRole::Comment));
    }
    const QString text = box()->toPlainText();
    QCOMPARE(static_cast<int>(roleAt(document, text.indexOf(u("color")))),
             static_cast<int>(CssRole::Property));
    QCOMPARE(static_cast<int>(roleAt(document, text.indexOf(u("#f5e6c8")))),
             static_cast<int>(CssRole::Number));
    QCOMPARE(static_cast<int>(roleAt(document, text.indexOf(u("宋体")))),
             static_cast<int>(CssRole::String));
    QCOMPARE(static_cast<int>(roleAt(document, text.indexOf(u("@media")))),
             static_cast<int>(CssRole::AtRule));

    actions_->formatAction()->trigger();
    QVERIFY(!actions_->view().formatted());
    QCOMPARE(box()->toPlainText(), shown);
    QCOMPARE(form_->readText("编辑框4"), kSheetGbk);
    QVERIFY(!box()->isReadOnly());
    QCOMPARE(box()->textCursor().position(), cursor);
    QCOMPARE(actions_->view().formattedSheet(), std::string_view());
    // The as-fetched view has no colours, as before any formatting.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QVERIFY(block.layout()->formats().isEmpty());
    }
    QCOMPARE(changed.size(), 2);

    // Edited by hand, then formatted and back: the edit is what comes back.
    box()->moveCursor(QTextCursor::End);
    box()->insertPlainText(u("\nb{c:d}"));
    const QString edited = box()->toPlainText();
    actions_->view().toggle();
    QVERIFY(box()->toPlainText().contains(u("b {\n    c: d;\n}")));
    QCOMPARE(form_->readText("编辑框4"), gbkFromUtf8(edited.toStdString()));
    actions_->view().toggle();
    QCOMPARE(box()->toPlainText(), edited);
}

void CssViewTest::shortcutAndMenu() {
    showCentred(*window_);
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    form_->setText("编辑框4", "a{b:c}");
    // The shortcut works from any box of the window.
    for (QWidget* focus : {static_cast<QWidget*>(box()), window_->control(u("编辑框1"))}) {
        focus->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focus);
        QTest::keyClick(focus, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box()->toPlainText(), u("a {\n    b: c;\n}\n"));
        QTest::keyClick(focus, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box()->toPlainText(), u("a{b:c}"));
    }

    // The box's own menu, then the three additions.
    emit box()->customContextMenuRequested(QPoint(10, 10));
    QMenu* menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
    const QList<QAction*> items = menu->actions();
    QVERIFY(items.size() > 4);
    QCOMPARE(items[items.size() - 3]->text(), u("格式化CSS"));
    QCOMPARE(items[items.size() - 2]->text(), u("保存CSS…"));
    QCOMPARE(items[items.size() - 1]->text(), u("保存CSS及图片…"));
    QCOMPARE(items[items.size() - 2]->shortcut(), QKeySequence(u("Ctrl+S")));
    QVERIFY(items[items.size() - 2]->toolTip().contains(u("格式化")));
    menu->close();
}

void CssViewTest::newTextLeavesTheFormattedView() {
    form_->setText("编辑框4", "a{b:c}");
    actions_->view().setFormatted(true);
    // A new run's sheet is shown as it comes, in the as-fetched view.
    form_->setText("编辑框4", "x{y:z}");
    QVERIFY(!actions_->view().formatted());
    QVERIFY(!actions_->formatAction()->isChecked());
    QCOMPARE(box()->toPlainText(), u("x{y:z}"));
    QVERIFY(!box()->isReadOnly());
    QVERIFY(box()->document()->begin().layout()->formats().isEmpty());
    QCOMPARE(form_->readText("编辑框4"), Text("x{y:z}"));
}

void CssViewTest::coloursAreLegibleOnTheBox() {
    const QColor background = box()->palette().color(QPalette::Base);
    QCOMPARE(background, QColor(96, 96, 96));
    for (int role = 0; role < kCssRoleCount; ++role) {
        const QColor colour = cssRoleColour(static_cast<CssRole>(role));
        QVERIFY2(contrast(colour, background) >= 4.5,
                 qPrintable(QStringLiteral("role %1: %2 is %3 : 1")
                                .arg(role)
                                .arg(colour.name())
                                .arg(contrast(colour, background))));
    }
    // And every colour the formatted view really uses, text colour included.
    form_->setText("编辑框4", kSheetGbk);
    actions_->view().setFormatted(true);
    QVERIFY(contrast(box()->palette().color(QPalette::Text), background) >= 4.5);
    int ranges = 0;
    for (QTextBlock block = box()->document()->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            ++ranges;
            QVERIFY(contrast(range.format.foreground().color(), background) >= 4.5);
        }
    }
    QVERIFY(ranges > 10);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    configureApplication(app);
    CssViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "css_view_test.moc"
