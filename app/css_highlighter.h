// Syntax colours for the formatted view of 编辑框4: the sheet is tokenized
// once as a whole (css/tokenizer.h), so that a comment or string that runs
// over several lines is coloured as one token; each text block then takes the
// slice of the coloured runs that falls inside it.
#ifndef KESSRUNE_APP_CSS_HIGHLIGHTER_H
#define KESSRUNE_APP_CSS_HIGHLIGHTER_H

#include <QColor>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kessrune {

// What a stretch of a sheet is, for its colour. Plain keeps the box's own
// text colour (punctuation, white space, keywords in values).
enum class CssRole : std::uint8_t {
    Plain,
    Comment,   // /* ... */
    AtRule,    // @media, @import
    Selector,  // a .b > #c:hover
    Property,  // the name of a declaration
    Function,  // rgb(, url( in a value
    String,    // "a", url(a.png)
    Number,    // 12px, 50%, #fff in a value
};
inline constexpr int kCssRoleCount = 8;

// A stretch of one role, in UTF-16 positions of QString::fromUtf8(sheet),
// which are the positions of a QTextDocument holding that text.
struct CssRun {
    qsizetype position = 0;
    qsizetype length = 0;
    CssRole role = CssRole::Plain;
};

// The coloured runs of a UTF-8 sheet, in order, not overlapping, Plain left
// out; none for "". The role of a token comes from its kind and its place:
// a selector is what comes before a "{", a property the ident that starts a
// declaration inside a block, a value what follows its ":". Invalid UTF-8
// shifts the positions but never past the end of the text.
//   cssRuns("a{b:1px}") == {{0, 1, Selector}, {2, 1, Property}, {4, 3, Number}}
std::vector<CssRun> cssRuns(std::string_view sheetUtf8);

// The colour of each role on the box's grey (RGB 96, 96, 96); all of them
// light, so that each has a contrast of at least 4.5 : 1 there. Plain is the
// box's white.
QColor cssRoleColour(CssRole role);

// Colours a document that holds exactly the sheet given to setSheet.
class CssHighlighter final : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    explicit CssHighlighter(QObject* parent);

    // The runs to colour by; takes effect on the next (re)highlight.
    void setSheet(std::string_view sheetUtf8);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    std::vector<CssRun> runs_;
    std::array<QTextCharFormat, kCssRoleCount> formats_;
};

}  // namespace kessrune

#endif  // KESSRUNE_APP_CSS_HIGHLIGHTER_H
