// 保存CSS及图片…'s work off the user-interface thread: one
// keep::saveSheetWithImages call on a thread of its own, its progress and
// its result handed back to the thread the job lives on.
#ifndef KESSRUNE_APP_SHEET_FOLDER_JOB_H
#define KESSRUNE_APP_SHEET_FOLDER_JOB_H

#include <QObject>
#include <filesystem>
#include <string>
#include <thread>

#include "keep/sheet_folder.h"

namespace kessrune {

class SheetFolderJob final : public QObject {
    Q_OBJECT
  public:
    // Starts at once. `options.stop` and `options.progress` are the job's
    // own (cancel(), the progress signal); the rest is passed on.
    SheetFolderJob(std::string sheetUtf8, std::string sheetAddress, std::filesystem::path folder,
                   keep::SheetFolderOptions options, QObject* parent);
    // Cancels and waits for the worker: the fetches still running abort.
    ~SheetFolderJob() override;

    // No further image is fetched and those in flight abort; the sheet is
    // still written and finished() still comes, with `cancelled` set.
    void cancel();

  signals:
    void progress(int done, int total);
    // Once, on the job's thread; the job may be deleted from here on.
    void finished(const kessrune::keep::SheetFolderResult& result);

  private:
    std::jthread worker_;  // last: it starts once everything else is there
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_SHEET_FOLDER_JOB_H
