// The main window: a fixed 744 x 578 client area holding the fifteen
// controls, each a widget whose objectName is its name ("分组框1", "编辑框1",
// "按钮1", ... "状态条1"), placed relative to its parent.
#ifndef KESSRUNE_APP_MAIN_WINDOW_H
#define KESSRUNE_APP_MAIN_WINDOW_H

#include <QPoint>
#include <QSize>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kessrune {

// The outer size (frame and title bar included) that the window is centred
// by, and the client area that is left of it inside a 3-pixel frame and a
// 22-pixel title bar.
inline constexpr QSize kOuterSize{750, 606};
inline constexpr QSize kClientSize{744, 578};

// Where the window's outer top-left goes on a screen of the given size:
// ((screen - outer size) / 2), each division truncating toward zero.
//   centredPosition({1920, 1080}) == QPoint(585, 237)
QPoint centredPosition(QSize screen);

// The help text of 透明标签1: four lines, each ended by CR LF.
QString helpText();

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);

    // The controls by name; nullptr for a name the window does not hold.
    QWidget* control(QStringView name) const;

    QLineEdit* addressBox() const { return addressBox_; }
    QLineEdit* cssAddressBox() const { return cssAddressBox_; }
    QPlainTextEdit* cssCodeBox() const { return cssCodeBox_; }
    QPushButton* analyzeButton() const { return analyzeButton_; }
    QPushButton* openButton() const { return openButton_; }

  signals:
    // The window has been asked to close and is closing (close box, system
    // menu, Alt+F4, Esc).
    void closing();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QLineEdit* addressBox_;
    QLineEdit* cssAddressBox_;
    QPlainTextEdit* cssCodeBox_;
    QPushButton* analyzeButton_;
    QPushButton* openButton_;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_MAIN_WINDOW_H
