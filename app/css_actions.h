// What 编辑框4 offers beyond an edit box, through its context menu and the
// window's shortcuts: 格式化CSS (Ctrl+Shift+F), 保存CSS… (Ctrl+S) and
// 保存CSS及图片… (Ctrl+Shift+S). None of them changes anything until used.
#ifndef KESSRUNE_APP_CSS_ACTIONS_H
#define KESSRUNE_APP_CSS_ACTIONS_H

#include <QObject>
#include <QString>

#include "app/save_css.h"

class QAction;
class QPoint;

namespace kessrune {

class CssView;
class MainWindow;
class WindowForm;

class CssActions final : public QObject {
    Q_OBJECT
  public:
    // A child of `window`; `form` is the runs' form (AnalysisRunner::form),
    // which hands back the sheet exactly as fetched.
    CssActions(MainWindow& window, WindowForm& form);

    CssView& view() { return *view_; }
    QAction* formatAction() const { return format_; }
    QAction* saveAction() const { return save_; }
    QAction* saveWithImagesAction() const { return saveWithImages_; }

    // The name 保存CSS… offers: the shop's name of 透明标签5, made safe for a
    // file name (safeFileStem), and ".css".
    QString defaultFileName() const;

    // 保存CSS… once its dialog has given a path and an encoding: writes the
    // sheet as shown (the formatted one while the formatted view is on, else
    // the sheet as fetched) and, when that fails, says why in a message box.
    // Returns "" on success, else the reason.
    QString saveCssTo(const QString& path, SheetEncoding encoding);

  private:
    void showMenu(const QPoint& at);
    void saveCssWithDialog();
    bool haveSheet();

    MainWindow& window_;
    WindowForm& form_;
    CssView* view_;
    QAction* format_;
    QAction* save_;
    QAction* saveWithImages_;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_CSS_ACTIONS_H
