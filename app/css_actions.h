// What 编辑框4 offers beyond an edit box, through its context menu and the
// window's shortcuts: 格式化CSS (Ctrl+Shift+F), 保存CSS… (Ctrl+S) and
// 保存CSS及图片… (Ctrl+Shift+S). None of them changes anything until used.
#ifndef KESSRUNE_APP_CSS_ACTIONS_H
#define KESSRUNE_APP_CSS_ACTIONS_H

#include <QObject>
#include <QPointer>
#include <QString>
#include <string>

#include "app/save_css.h"

class QAction;
class QPoint;

namespace kessrune {

class CssView;
class MainWindow;
class SheetFolderJob;
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

    // 保存CSS及图片… once its dialog has given a folder: the sheet as shown
    // (UTF-8, under defaultFileName()) and its images, fetched on a worker
    // thread behind a progress dialog whose cancel stops the fetches;
    // relative image addresses resolve against 编辑框2. A message box then
    // sums up: where the sheet went (or why it did not), and which images
    // failed and why. Does nothing while a save is going.
    void saveWithImagesTo(const QString& folder);

    // A save with images is going.
    bool savingWithImages() const;

  private:
    void showMenu(const QPoint& at);
    void saveCssWithDialog();
    void saveWithImagesWithDialog();
    bool haveSheet();
    std::string sheetUtf8AsShown();

    MainWindow& window_;
    WindowForm& form_;
    CssView* view_;
    QAction* format_;
    QAction* save_;
    QAction* saveWithImages_;
    QPointer<SheetFolderJob> job_;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_CSS_ACTIONS_H
