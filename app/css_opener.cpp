#include "app/css_opener.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <memory>
#include <utility>

#include "app/main_window.h"
#include "app/notice.h"

namespace kessrune {
namespace {

AddressOpener& currentOpener() {
    static AddressOpener opener;
    return opener;
}

// The last line the program wrote on stderr, bounded; "" when it wrote none.
QString lastErrorLine(QProcess& process) {
    const QStringList lines =
        QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.back().trimmed().left(300);
}

}  // namespace

QString openerProgram() {
    const QString set = qEnvironmentVariable("KESSRUNE_OPENER");
    return set.isEmpty() ? QStringLiteral("xdg-open") : set;
}

bool startOpener(const QString& program, const QString& address, QObject& owner,
                 std::function<void(const QString& reason)> failed) {
    if (address.isEmpty()) {
        return false;
    }
    auto* process = new QProcess(&owner);
    process->setProgram(program);
    process->setArguments({address});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedOutputChannel);
    // Told once: a crash raises both signals.
    auto report = std::make_shared<std::function<void(const QString&)>>(std::move(failed));
    auto fail = [report, process](const QString& reason) {
        if (*report) {
            std::exchange(*report, nullptr)(reason);
        }
        process->deleteLater();
    };
    QObject::connect(
        process, &QProcess::errorOccurred, process,
        [process, program, fail](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                fail(QStringLiteral("无法启动 %1：%2").arg(program, process->errorString()));
            }
        });
    QObject::connect(process, &QProcess::finished, process,
                     [process, program, fail](int code, QProcess::ExitStatus status) {
                         QString reason;
                         if (status == QProcess::CrashExit) {
                             reason = QStringLiteral("%1 意外退出").arg(program);
                         } else if (code != 0) {
                             reason = QStringLiteral("%1 以退出码 %2 结束").arg(program).arg(code);
                         } else {
                             process->deleteLater();
                             return;
                         }
                         const QString said = lastErrorLine(*process);
                         fail(said.isEmpty()
                                  ? reason
                                  : reason + QStringLiteral("（") + said + QStringLiteral("）"));
                     });
    process->start();
    return true;
}

void openWithDesktop(const QString& address, QWidget& window) {
    QWidget* target = &window;
    startOpener(openerProgram(), address, window, [target, address](const QString& reason) {
        QGuiApplication::clipboard()->setText(address);
        showNotice(*target, QMessageBox::Warning, QStringLiteral("无法打开浏览器"),
                   QStringLiteral("无法在浏览器中打开css页面地址：%1。\n"
                                  "地址已复制到剪贴板，可粘贴到浏览器的地址栏中打开。")
                       .arg(reason));
    });
}

AddressOpener setAddressOpener(AddressOpener opener) {
    return std::exchange(currentOpener(), std::move(opener));
}

void openCssAddress(MainWindow& window) {
    // The box's own text: what the user sees and edits, line breaks and all.
    const QString address = window.cssAddressBox()->text();
    if (const AddressOpener& opener = currentOpener()) {
        opener(address);
    } else {
        openWithDesktop(address, window);
    }
}

}  // namespace kessrune
