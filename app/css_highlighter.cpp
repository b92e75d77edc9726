#include "app/css_highlighter.h"

#include <QTextBlock>
#include <algorithm>
#include <cstddef>

#include "css/tokenizer.h"

namespace kessrune {
namespace {

using css::Token;
using css::TokenKind;

bool isStructural(TokenKind kind) {
    return kind == TokenKind::LeftBrace || kind == TokenKind::RightBrace ||
           kind == TokenKind::Semicolon;
}
bool isQuiet(TokenKind kind) {
    return kind == TokenKind::Whitespace || kind == TokenKind::Comment;
}

// Roles that a token has wherever it stands.
CssRole fixedRole(TokenKind kind) {
    switch (kind) {
        case TokenKind::Comment:
            return CssRole::Comment;
        case TokenKind::AtKeyword:
            return CssRole::AtRule;
        case TokenKind::String:
        case TokenKind::BadString:
        case TokenKind::Url:
        case TokenKind::BadUrl:
            return CssRole::String;
        default:
            return CssRole::Plain;
    }
}

CssRole valueRole(TokenKind kind) {
    switch (kind) {
        case TokenKind::Number:
        case TokenKind::Percentage:
        case TokenKind::Dimension:
        case TokenKind::Hash:
            return CssRole::Number;
        case TokenKind::Function:
            return CssRole::Function;
        default:
            return fixedRole(kind);
    }
}

CssRole selectorRole(TokenKind kind) {
    switch (kind) {
        case TokenKind::Ident:
        case TokenKind::Hash:
        case TokenKind::Delim:
        case TokenKind::Colon:
        case TokenKind::Function:
        case TokenKind::LeftBracket:
        case TokenKind::RightBracket:
        case TokenKind::LeftParen:
        case TokenKind::RightParen:
        case TokenKind::Comma:
            return CssRole::Selector;
        default:
            return fixedRole(kind);
    }
}

// The roles of all tokens: the sheet read item by item, an item being the
// tokens up to the next "{", "}" or ";" outside brackets.
std::vector<CssRole> tokenRoles(const std::vector<Token>& tokens) {
    std::vector<CssRole> roles(tokens.size(), CssRole::Plain);
    int blocks = 0;
    std::size_t start = 0;
    while (start < tokens.size()) {
        std::size_t end = start;
        int brackets = 0;
        for (; end < tokens.size(); ++end) {
            const TokenKind kind = tokens[end].kind;
            if (brackets == 0 && isStructural(kind)) {
                break;
            }
            if (kind == TokenKind::Function || kind == TokenKind::LeftParen ||
                kind == TokenKind::LeftBracket) {
                ++brackets;
            } else if ((kind == TokenKind::RightParen || kind == TokenKind::RightBracket) &&
                       brackets > 0) {
                --brackets;
            }
        }
        const bool opensBlock = end < tokens.size() && tokens[end].kind == TokenKind::LeftBrace;
        std::size_t first = start;
        while (first < end && isQuiet(tokens[first].kind)) {
            roles[first] = fixedRole(tokens[first].kind);
            ++first;
        }
        const bool atRule = first < end && tokens[first].kind == TokenKind::AtKeyword;
        if (opensBlock && !atRule) {
            for (std::size_t i = first; i < end; ++i) {
                roles[i] = selectorRole(tokens[i].kind);
            }
        } else {
            std::size_t values = first;
            if (!atRule && blocks > 0 && first < end && tokens[first].kind == TokenKind::Ident) {
                std::size_t colon = first + 1;
                while (colon < end && isQuiet(tokens[colon].kind)) {
                    ++colon;
                }
                if (colon < end && tokens[colon].kind == TokenKind::Colon) {
                    roles[first] = CssRole::Property;
                    values = first + 1;
                }
            }
            for (std::size_t i = values; i < end; ++i) {
                roles[i] = valueRole(tokens[i].kind);
            }
        }
        if (end < tokens.size()) {
            if (tokens[end].kind == TokenKind::LeftBrace) {
                ++blocks;
            } else if (tokens[end].kind == TokenKind::RightBrace && blocks > 0) {
                --blocks;
            }
        }
        start = end + 1;
    }
    return roles;
}

// UTF-16 code units that the UTF-8 bytes [from, to) of `sheet` decode to:
// one per lead byte, two for a four-byte sequence.
qsizetype utf16Units(std::string_view sheet, std::size_t from, std::size_t to) {
    qsizetype units = 0;
    for (std::size_t i = from; i < to; ++i) {
        const auto byte = static_cast<unsigned char>(sheet[i]);
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

}  // namespace

std::vector<CssRun> cssRuns(std::string_view sheetUtf8) {
    const std::vector<Token> tokens = css::tokenize(sheetUtf8);
    const std::vector<CssRole> roles = tokenRoles(tokens);
    std::vector<CssRun> runs;
    qsizetype position = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const qsizetype length =
            utf16Units(sheetUtf8, tokens[i].offset, tokens[i].offset + tokens[i].length);
        if (roles[i] != CssRole::Plain) {
            if (!runs.empty() && runs.back().role == roles[i] &&
                runs.back().position + runs.back().length == position) {
                runs.back().length += length;
            } else {
                runs.push_back({position, length, roles[i]});
            }
        }
        position += length;
    }
    return runs;
}

QColor cssRoleColour(CssRole role) {
    switch (role) {
        case CssRole::Plain:
            return QColor(255, 255, 255);
        case CssRole::Comment:
            return QColor(0xCF, 0xE6, 0xC8);
        case CssRole::AtRule:
            return QColor(0xFF, 0xD0, 0xF4);
        case CssRole::Selector:
            return QColor(0xFF, 0xE3, 0x8A);
        case CssRole::Property:
            return QColor(0xA4, 0xEA, 0xFF);
        case CssRole::Function:
            return QColor(0xE0, 0xDA, 0xFF);
        case CssRole::String:
            return QColor(0xFF, 0xD9, 0xB0);
        case CssRole::Number:
            return QColor(0xB8, 0xF5, 0xA8);
    }
    return QColor(255, 255, 255);
}

CssHighlighter::CssHighlighter(QObject* parent) : QSyntaxHighlighter(parent) {
    for (int i = 0; i < kCssRoleCount; ++i) {
        const auto role = static_cast<CssRole>(i);
        formats_[static_cast<std::size_t>(i)].setForeground(cssRoleColour(role));
    }
    formats_[static_cast<std::size_t>(CssRole::Comment)].setFontItalic(true);
    formats_[static_cast<std::size_t>(CssRole::AtRule)].setFontWeight(QFont::Bold);
}

void CssHighlighter::setSheet(std::string_view sheetUtf8) {
    runs_ = cssRuns(sheetUtf8);
}

void CssHighlighter::highlightBlock(const QString& text) {
    const qsizetype blockStart = currentBlock().position();
    const qsizetype blockEnd = blockStart + text.size();
    auto run = std::upper_bound(
        runs_.begin(), runs_.end(), blockStart,
        [](qsizetype position, const CssRun& r) { return position < r.position + r.length; });
    for (; run != runs_.end() && run->position < blockEnd; ++run) {
        const qsizetype from = std::max(run->position, blockStart);
        const qsizetype to = std::min(run->position + run->length, blockEnd);
        setFormat(static_cast<int>(from - blockStart), static_cast<int>(to - from),
                  formats_[static_cast<std::size_t>(run->role)]);
    }
}

}  // namespace kessrune
