#include "app/main_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <limits>
#include <string_view>

#include "analysis/controls.h"
#include "http/charset.h"

// The icon lives in the library's resources, which a static library has to
// register by hand.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace kessrune {
namespace {

using namespace controls;

constexpr char kCaption[] = "Kessrune（Lumaret专版）";
constexpr char kExampleAddress[] = "http://lumaret.taobao.com/";

QString fromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QGroupBox* groupBox(QWidget* parent, std::string_view name, QRect place, const char* title) {
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    box->setObjectName(fromUtf8(name));
    box->setAlignment(Qt::AlignLeft);
    box->setGeometry(place);
    return box;
}

// A label that draws only its text: the group box behind it shows through,
// and setting a shorter text repaints the parent's background first.
QLabel* transparentLabel(QWidget* parent, std::string_view name, QRect place) {
    auto* label = new QLabel(parent);
    label->setObjectName(fromUtf8(name));
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QLineEdit* lineBox(QWidget* parent, std::string_view name, QRect place) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(fromUtf8(name));
    box->setGeometry(place);
    // No length limit of its own (a QLineEdit stops at 32767 otherwise).
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setFocusPolicy(Qt::StrongFocus);
    return box;
}

QPushButton* pushButton(QWidget* parent, std::string_view name, QRect place,
                        const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(fromUtf8(name));
    button->setGeometry(place);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QPlainTextEdit* codeBox(QWidget* parent, QRect place) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(fromUtf8(kCssCodeBox));
    box->setGeometry(place);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setTabChangesFocus(true);
    box->setFocusPolicy(Qt::StrongFocus);
    QPalette palette = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, QColor(96, 96, 96));
        palette.setColor(group, QPalette::Text, Qt::white);
    }
    box->setPalette(palette);
    // 16 pixels high, normal weight, in the window's family.
    QFont font = box->font();
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    box->setFont(font);
    return box;
}

}  // namespace

QPoint centredPosition(QSize screen) {
    return {(screen.width() - kOuterSize.width()) / 2, (screen.height() - kOuterSize.height()) / 2};
}

QString helpText() {
    return QStringLiteral(
        "1、支持淘宝旺铺专业版和天猫店铺；\r\n"
        "2、支持默认模板和购买sdk模板的店铺；\r\n"
        "3、部分杀毒软件可能会误报本软件，请放心使用；\r\n"
        "4、抓取速度依网速而定，一般一两秒完成；若取不出，请检查是否输入了正确的地址，并重启软件再"
        "试；"
        "\r\n");
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    initResources();
    setObjectName(QStringLiteral("窗口"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/kessrune/kessrune.png")));
    setFixedSize(kClientSize);
    // The window's own background is the button face of the palette.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    QGroupBox* address = groupBox(this, "分组框1", {8, 8, 728, 60}, "输入店铺地址");
    addressBox_ = lineBox(address, kAddressBox, {11, 20, 585, 24});
    addressBox_->setText(QString::fromUtf8(kExampleAddress));
    addressBox_->setCursorPosition(0);
    // The caption is a text of the system (GBK), shown in Unicode.
    analyzeButton_ = pushButton(address, kAnalyzeButton, {596, 20, 120, 24},
                                QString::fromStdString(utf8FromGbk(kReadyCaption)));

    QGroupBox* shop = groupBox(this, "分组框4", {8, 72, 728, 60}, "店铺信息");
    transparentLabel(shop, kShopNameLabel, {27, 27, 237, 16});
    transparentLabel(shop, kShopkeeperLabel, {254, 27, 200, 16});
    transparentLabel(shop, kTemplateLabel, {434, 27, 286, 16});

    QGroupBox* cssAddress = groupBox(this, "分组框2", {8, 137, 728, 60}, "css页面地址");
    cssAddressBox_ = lineBox(cssAddress, kCssAddressBox, {14, 22, 680, 24});
    openButton_ = pushButton(cssAddress, "按钮2", {695, 22, 20, 24}, QStringLiteral(">"));

    QGroupBox* cssCode = groupBox(this, "分组框3", {8, 204, 728, 228}, "整店css代码");
    cssCodeBox_ = codeBox(cssCode, {14, 22, 700, 190});

    QGroupBox* help = groupBox(this, "分组框5", {8, 440, 728, 112}, "帮助说明");
    QLabel* helpLabel = transparentLabel(help, "透明标签1", {24, 24, 680, 72});
    helpLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    helpLabel->setWordWrap(true);
    helpLabel->setText(helpText());

    // The status bar docks to the bottom edge across the full width.
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("状态条1"));
    status->setSizeGripEnabled(false);
    status->setFocusPolicy(Qt::NoFocus);
    auto* pane1 = new QLabel(status);
    pane1->setObjectName(QStringLiteral("状态条1窗格1"));
    pane1->setFixedWidth(630);
    auto* pane2 = new QLabel(QStringLiteral(" 版本号：v1.1"), status);
    pane2->setObjectName(QStringLiteral("状态条1窗格2"));
    status->addWidget(pane1);
    status->addWidget(pane2, 1);
    const int statusHeight = 20;
    status->setGeometry(0, kClientSize.height() - statusHeight, kClientSize.width(), statusHeight);

    setTabOrder(addressBox_, analyzeButton_);
    setTabOrder(analyzeButton_, cssAddressBox_);
    setTabOrder(cssAddressBox_, openButton_);
    setTabOrder(openButton_, cssCodeBox_);
}

QWidget* MainWindow::control(QStringView name) const {
    return findChild<QWidget*>(name.toString());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // No control claims Esc, so a plain one reaches the window and closes it.
    const auto held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (event->key() == Qt::Key_Escape && held == Qt::NoModifier) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    event->accept();
}

}  // namespace kessrune
