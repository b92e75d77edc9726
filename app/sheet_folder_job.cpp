#include "app/sheet_folder_job.h"

#include <memory>
#include <utility>

namespace kessrune {

SheetFolderJob::SheetFolderJob(std::string sheetUtf8, std::string sheetAddress,
                               std::filesystem::path folder, keep::SheetFolderOptions options,
                               QObject* parent)
    : QObject(parent) {
    // Events posted to the job are dropped if it is gone by then; it cannot
    // go before the worker has ended (the destructor joins).
    worker_ = std::jthread([this, sheet = std::move(sheetUtf8), address = std::move(sheetAddress),
                            folder = std::move(folder),
                            options = std::move(options)](std::stop_token stop) mutable {
        options.stop = std::move(stop);
        options.progress = [this](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { emit progress(done, total); }, Qt::QueuedConnection);
        };
        auto result = std::make_shared<keep::SheetFolderResult>();
        try {
            *result = keep::saveSheetWithImages(sheet, address, folder, options);
        } catch (const std::exception& e) {  // out of memory, say
            result->sheetSaved = false;
            result->error = e.what();
        }
        QMetaObject::invokeMethod(
            this, [this, result] { emit finished(*result); }, Qt::QueuedConnection);
    });
}

SheetFolderJob::~SheetFolderJob() {
    cancel();
}

void SheetFolderJob::cancel() {
    worker_.request_stop();
}

}  // namespace kessrune
