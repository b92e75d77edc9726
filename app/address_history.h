// The shop addresses of 编辑框1 whose run showed a style sheet, offered as
// the user types. Kept in the desktop's configuration folder
// (QSettings "Kessrune"/"Kessrune": ~/.config/Kessrune/Kessrune.conf), so
// that the next start of the window offers them too.
#ifndef KESSRUNE_APP_ADDRESS_HISTORY_H
#define KESSRUNE_APP_ADDRESS_HISTORY_H

#include <QObject>
#include <QString>
#include <QStringList>

class QLineEdit;
class QStringListModel;

namespace kessrune {

inline constexpr int kHistorySize = 20;

// `history` with `address` (trimmed) put first and its other copies removed,
// cut to `limit` entries; `history` unchanged when the trimmed address is "".
//   withAddress({"b", "a"}, " a ") == {"a", "b"}
QStringList withAddress(QStringList history, const QString& address, int limit = kHistorySize);

class AddressHistory final : public QObject {
    Q_OBJECT
  public:
    // Reads the stored addresses and offers them in `box` (a QCompleter:
    // a popup of the addresses holding what is typed, any case), most
    // recent first. The box's text is not touched. A child of `box`.
    explicit AddressHistory(QLineEdit& box);

    QStringList addresses() const;

    // Puts `address` first (withAddress) and stores the list at once.
    void remember(const QString& address);

  private:
    QStringListModel* model_;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_ADDRESS_HISTORY_H
