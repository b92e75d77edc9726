// Writing a style sheet to a file: the default file name from the shop's
// name, the bytes in the chosen encoding, and a write that either replaces
// the file whole or leaves it as it was.
#ifndef KESSRUNE_APP_SAVE_CSS_H
#define KESSRUNE_APP_SAVE_CSS_H

#include <QByteArray>
#include <QString>
#include <string_view>

#include "text/text.h"

namespace kessrune {

enum class SheetEncoding { utf8, gbk };

// The shop's name in the text of 透明标签5: what follows its first "：" (or
// ":"), the whole text when it has none.
//   shopNameFromLabel("店铺名称：兰亭书画") == "兰亭书画"
//   shopNameFromLabel("") == ""
QString shopNameFromLabel(const QString& label);

// A file name (without extension) made from `name` that cannot leave the
// folder it is saved in or trouble a file system: the characters
// / \ : * ? " < > | and control and format characters (bidirectional
// overrides among them) are dropped, so are lone surrogates; white space and
// dots at either end are trimmed (no hidden files, no "." or ".."); at most
// kMaxFileStem characters are kept, never half a surrogate pair. "style"
// when nothing is left.
//   safeFileStem(" a/b:c ") == "abc"; safeFileStem("..") == "style"
inline constexpr int kMaxFileStem = 80;
QString safeFileStem(const QString& name);

// The bytes to save of a sheet: the as-fetched one is the GBK text of
// 编辑框4 (`asFetchedGbk`), kept byte for byte in GBK and converted for
// UTF-8; the formatted one is UTF-8 (`formattedUtf8`), converted for GBK
// (characters GBK lacks become "?"). `formatted` says which one is shown.
QByteArray sheetBytes(const Text& asFetchedGbk, std::string_view formattedUtf8, bool formatted,
                      SheetEncoding encoding);

// Writes `bytes` to `path` through QSaveFile: the file is replaced only once
// every byte is on disk, so a failed write leaves no half file. "" on
// success, else why it failed (the system's words).
QString writeWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace kessrune

#endif  // KESSRUNE_APP_SAVE_CSS_H
