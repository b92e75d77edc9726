#include "app/save_css.h"

#include <QSaveFile>
#include <string>

#include "http/charset.h"

namespace kessrune {
namespace {

bool forbiddenInFileName(char32_t c) {
    switch (c) {
        case U'/':
        case U'\\':
        case U':':
        case U'*':
        case U'?':
        case U'"':
        case U'<':
        case U'>':
        case U'|':
            return true;
        default:
            break;
    }
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format ||
           category == QChar::Other_Surrogate || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

bool trimmedAtEnds(QChar c) {
    return c.isSpace() || c == u'.';
}

QByteArray bytesOf(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

QString shopNameFromLabel(const QString& label) {
    const qsizetype wide = label.indexOf(u'：');
    const qsizetype narrow = label.indexOf(u':');
    qsizetype colon = wide;
    if (colon < 0 || (narrow >= 0 && narrow < colon)) {
        colon = narrow;
    }
    return colon < 0 ? label : label.mid(colon + 1);
}

QString safeFileStem(const QString& name) {
    QString kept;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            if (!forbiddenInFileName(QChar::surrogateToUcs4(c, name[i + 1]))) {
                kept += c;
                kept += name[i + 1];
            }
            ++i;
        } else if (!forbiddenInFileName(c.unicode())) {  // a lone surrogate is dropped
            kept += c;
        }
    }
    auto trim = [](QString s) {
        qsizetype from = 0;
        qsizetype to = s.size();
        while (from < to && trimmedAtEnds(s[from])) {
            ++from;
        }
        while (to > from && trimmedAtEnds(s[to - 1])) {
            --to;
        }
        return s.mid(from, to - from);
    };
    kept = trim(kept);
    if (kept.size() > kMaxFileStem) {
        qsizetype cut = kMaxFileStem;
        if (kept[cut - 1].isHighSurrogate()) {
            --cut;
        }
        kept = trim(kept.left(cut));
    }
    return kept.isEmpty() ? QStringLiteral("style") : kept;
}

QByteArray sheetBytes(const Text& asFetchedGbk, std::string_view formattedUtf8, bool formatted,
                      SheetEncoding encoding) {
    if (formatted) {
        return encoding == SheetEncoding::utf8 ? bytesOf(formattedUtf8)
                                               : bytesOf(gbkFromUtf8(formattedUtf8));
    }
    return encoding == SheetEncoding::gbk ? bytesOf(asFetchedGbk)
                                          : bytesOf(utf8FromGbk(asFetchedGbk));
}

QString writeWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

}  // namespace kessrune
