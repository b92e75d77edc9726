#include "app/address_history.h"

#include <QCompleter>
#include <QLineEdit>
#include <QSettings>
#include <QStringListModel>
#include <utility>

namespace kessrune {
namespace {

constexpr char kKey[] = "history/addresses";

// Named here rather than through the application's names, which the window
// title and the desktop entry depend on.
QSettings settings() {
    return QSettings(QStringLiteral("Kessrune"), QStringLiteral("Kessrune"));
}

}  // namespace

QStringList withAddress(QStringList history, const QString& address, int limit) {
    const QString entry = address.trimmed();
    if (entry.isEmpty()) {
        return history;
    }
    history.removeAll(entry);
    history.prepend(entry);
    if (history.size() > limit) {
        history.resize(limit);
    }
    return history;
}

AddressHistory::AddressHistory(QLineEdit& box) : QObject(&box), model_(new QStringListModel(this)) {
    // Oldest first through withAddress, so that a hand-edited file comes out
    // as the window writes it: trimmed, no copies, the newest 20.
    const QStringList read = settings().value(QLatin1String(kKey)).toStringList();
    QStringList stored;
    for (auto it = read.crbegin(); it != read.crend(); ++it) {
        stored = withAddress(std::move(stored), *it);
    }
    model_->setStringList(stored);
    auto* completer = new QCompleter(model_, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    box.setCompleter(completer);
}

QStringList AddressHistory::addresses() const {
    return model_->stringList();
}

void AddressHistory::remember(const QString& address) {
    const QStringList now = withAddress(model_->stringList(), address);
    if (now == model_->stringList()) {
        return;
    }
    model_->setStringList(now);
    QSettings store = settings();
    store.setValue(QLatin1String(kKey), now);
    store.sync();
}

}  // namespace kessrune
