#include "app/css_actions.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QStandardPaths>
#include <filesystem>

#include "analysis/controls.h"
#include "app/css_view.h"
#include "app/main_window.h"
#include "app/notice.h"
#include "app/sheet_folder_job.h"
#include "app/window_form.h"
#include "http/charset.h"
#include "keep/sheet_folder.h"

namespace kessrune {
namespace {

const QString kUtf8Filter = QStringLiteral("CSS, UTF-8 (*.css)");
const QString kGbkFilter = QStringLiteral("CSS, GBK (*.css)");

QAction* windowAction(MainWindow& window, const char* name, const QString& caption,
                      const QKeySequence& keys, const QString& tip) {
    auto* action = new QAction(caption, &window);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(tip);
    action->setStatusTip(tip);
    window.addAction(action);
    return action;
}

QString startFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() || !QDir(folder).exists() ? QDir::homePath() : folder;
}

// The summary of a save with images; `details` gets every failure line.
QString folderSummary(const keep::SheetFolderResult& result, const QString& sheetPath,
                      QString& details) {
    QStringList failed;
    for (const keep::ImageResult& image : result.images) {
        if (!image.ok) {
            failed << QString::fromStdString(keep::failureLine(image));
        }
    }
    details = failed.join(u'\n');
    QString text =
        result.sheetSaved
            ? QStringLiteral("CSS已保存为 %1。").arg(QDir::toNativeSeparators(sheetPath))
            : QStringLiteral("CSS没有保存到 %1：%2")
                  .arg(QDir::toNativeSeparators(sheetPath), QString::fromStdString(result.error));
    if (!result.images.empty()) {
        const auto total = static_cast<qsizetype>(result.images.size());
        text += QStringLiteral("\n图片 %1 张：保存 %2 张，失败 %3 张。")
                    .arg(total)
                    .arg(total - failed.size())
                    .arg(failed.size());
    }
    if (result.cancelled) {
        text += QStringLiteral("\n已取消：没有下载的图片在CSS中保留网络地址。");
    }
    if (!failed.isEmpty()) {
        constexpr qsizetype kShown = 10;
        text += QStringLiteral("\n\n没有保存的图片（CSS中保留网络地址）：\n") +
                failed.mid(0, kShown).join(u'\n');
        if (failed.size() > kShown) {
            text += QStringLiteral("\n……另有 %1 张，见详细信息。").arg(failed.size() - kShown);
        }
    }
    return text;
}

}  // namespace

CssActions::CssActions(MainWindow& window, WindowForm& form)
    : QObject(&window),
      window_(window),
      form_(form),
      view_(new CssView(*window.cssCodeBox())),
      format_(windowAction(window, "格式化CSS", QStringLiteral("格式化CSS"),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
                           QStringLiteral("在原样抓取的CSS与格式化、带语法颜色的CSS之间切换"
                                          "（格式化视图只供查看）"))),
      save_(windowAction(window, "保存CSS", QStringLiteral("保存CSS…"),
                         QKeySequence(Qt::CTRL | Qt::Key_S),
                         QStringLiteral("把编辑框中显示的CSS存为文件：格式化视图打开时存格式化后的"
                                        "CSS，否则存原样抓取的CSS；可选UTF-8或GBK编码"))),
      saveWithImages_(windowAction(window, "保存CSS及图片", QStringLiteral("保存CSS及图片…"),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                                   QStringLiteral("把显示的CSS和它引用的图片一起存到一个文件夹，"
                                                  "CSS中的图片地址改为本地文件"))) {
    format_->setCheckable(true);
    connect(format_, &QAction::toggled, view_, &CssView::setFormatted);
    connect(view_, &CssView::formattedChanged, format_, &QAction::setChecked);
    connect(save_, &QAction::triggered, this, &CssActions::saveCssWithDialog);
    connect(saveWithImages_, &QAction::triggered, this, &CssActions::saveWithImagesWithDialog);

    QPlainTextEdit* box = window.cssCodeBox();
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this, &CssActions::showMenu);
}

void CssActions::showMenu(const QPoint& at) {
    QPlainTextEdit* box = window_.cssCodeBox();
    QMenu* menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    menu->addSeparator();
    menu->addAction(format_);
    menu->addAction(save_);
    menu->addAction(saveWithImages_);
    // A scroll area's context-menu position is the viewport's.
    menu->popup(box->viewport()->mapToGlobal(at));
}

QString CssActions::defaultFileName() const {
    const auto* label = qobject_cast<QLabel*>(window_.control(
        QString::fromUtf8(controls::kShopNameLabel.data(), controls::kShopNameLabel.size())));
    return safeFileStem(shopNameFromLabel(label ? label->text() : QString())) +
           QStringLiteral(".css");
}

bool CssActions::haveSheet() {
    if (!view_->asFetchedText().isEmpty()) {
        return true;
    }
    showNotice(window_, QMessageBox::Information, QStringLiteral("没有CSS"),
               QStringLiteral("编辑框中还没有CSS代码：请先分析一个店铺。"));
    return false;
}

std::string CssActions::sheetUtf8AsShown() {
    return view_->formatted() ? std::string(view_->formattedSheet())
                              : utf8FromGbk(form_.readText(controls::kCssCodeBox));
}

QString CssActions::saveCssTo(const QString& path, SheetEncoding encoding) {
    const QByteArray bytes = sheetBytes(form_.readText(controls::kCssCodeBox),
                                        view_->formattedSheet(), view_->formatted(), encoding);
    const QString why = writeWholeFile(path, bytes);
    if (!why.isEmpty()) {
        showNotice(window_, QMessageBox::Warning, QStringLiteral("保存失败"),
                   QStringLiteral("CSS没有保存到 %1：%2").arg(QDir::toNativeSeparators(path), why));
    }
    return why;
}

void CssActions::saveCssWithDialog() {
    if (!haveSheet()) {
        return;
    }
    QFileDialog dialog(&window_, QStringLiteral("保存CSS"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kUtf8Filter, kGbkFilter});
    dialog.selectNameFilter(kUtf8Filter);
    dialog.setDefaultSuffix(QStringLiteral("css"));
    dialog.setDirectory(startFolder());
    dialog.selectFile(defaultFileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    saveCssTo(dialog.selectedFiles().front(),
              dialog.selectedNameFilter() == kGbkFilter ? SheetEncoding::gbk : SheetEncoding::utf8);
}

bool CssActions::savingWithImages() const {
    return !job_.isNull();
}

void CssActions::saveWithImagesWithDialog() {
    if (savingWithImages() || !haveSheet()) {
        return;
    }
    const QString folder =
        QFileDialog::getExistingDirectory(&window_, QStringLiteral("保存CSS及图片"), startFolder());
    if (!folder.isEmpty()) {
        saveWithImagesTo(folder);
    }
}

void CssActions::saveWithImagesTo(const QString& folder) {
    if (savingWithImages()) {
        return;
    }
    keep::SheetFolderOptions options;
    const QString fileName = defaultFileName();
    options.sheetFileName = fileName.toStdString();
    const QString sheetPath = QDir(folder).filePath(fileName);
    auto* job = new SheetFolderJob(
        sheetUtf8AsShown(), utf8FromGbk(form_.readText(controls::kCssAddressBox)),
        std::filesystem::path(QFile::encodeName(folder).toStdString()), std::move(options), this);
    job_ = job;

    auto* progress = new QProgressDialog(QStringLiteral("正在保存CSS及其图片…"),
                                         QStringLiteral("取消"), 0, 0, &window_);
    progress->setObjectName(QStringLiteral("保存CSS及图片进度"));
    progress->setWindowTitle(QStringLiteral("保存CSS及图片"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    connect(progress, &QProgressDialog::canceled, job, &SheetFolderJob::cancel);
    connect(job, &SheetFolderJob::progress, progress, [progress](int done, int total) {
        progress->setMaximum(total);
        progress->setValue(done);
    });
    connect(job, &SheetFolderJob::finished, this,
            [this, job, progress, sheetPath](const keep::SheetFolderResult& result) {
                progress->deleteLater();
                job->deleteLater();
                QString details;
                const QString text = folderSummary(result, sheetPath, details);
                const bool clean = result.sheetSaved && details.isEmpty() && !result.cancelled;
                showNotice(window_, clean ? QMessageBox::Information : QMessageBox::Warning,
                           QStringLiteral("保存CSS及图片"), text, details);
            });
    progress->show();
}

}  // namespace kessrune
