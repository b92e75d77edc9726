#include "cli/json_output.h"

#include "http/charset.h"

namespace kessrune {
namespace {

void write(std::FILE* to, std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), to);
}

}  // namespace

std::string jsonEscaped(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 8);
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0x0f];
                } else {
                    out += ch;
                }
        }
    }
    return out;
}

JsonObjectWriter::JsonObjectWriter(std::FILE* to) : to_(to) {
    write(to_, "{");
}

void JsonObjectWriter::key(std::string_view name) {
    write(to_, first_ ? "\"" : ",\"");
    first_ = false;
    write(to_, jsonEscaped(name));
    write(to_, "\":");
}

void JsonObjectWriter::gbkText(std::string_view name, std::string_view gbk) {
    key(name);
    write(to_, "\"");
    utf8FromGbkInPieces(gbk, [this](std::string_view piece) { write(to_, jsonEscaped(piece)); });
    write(to_, "\"");
}

void JsonObjectWriter::boolean(std::string_view name, bool value) {
    key(name);
    write(to_, value ? "true" : "false");
}

void JsonObjectWriter::number(std::string_view name, long long value) {
    key(name);
    write(to_, std::to_string(value));
}

void JsonObjectWriter::close() {
    write(to_, "}\n");
}

void writeUtf8FromGbk(std::FILE* to, std::string_view gbk) {
    utf8FromGbkInPieces(gbk, [to](std::string_view piece) { write(to, piece); });
}

}  // namespace kessrune
