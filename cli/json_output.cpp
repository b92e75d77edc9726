#include "cli/json_output.h"

#include "http/charset.h"

namespace kessrune {

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

void JsonWriter::write(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), to_);
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back())
            write(",");
        empty_.back() = false;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    write("{");
    empty_.push_back(true);
}

void JsonWriter::endObject() {
    empty_.pop_back();
    write("}");
}

void JsonWriter::beginArray() {
    beforeValue();
    write("[");
    empty_.push_back(true);
}

void JsonWriter::endArray() {
    empty_.pop_back();
    write("]");
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    write("\"");
    write(jsonEscaped(name));
    write("\":");
    afterKey_ = true;
}

void JsonWriter::gbkString(std::string_view gbk) {
    beforeValue();
    write("\"");
    utf8FromGbkInPieces(gbk, [this](std::string_view piece) { write(jsonEscaped(piece)); });
    write("\"");
}

void JsonWriter::utf8String(std::string_view utf8) {
    beforeValue();
    write("\"");
    write(jsonEscaped(utf8));
    write("\"");
}

void JsonWriter::null() {
    beforeValue();
    write("null");
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    write(value ? "true" : "false");
}

void JsonWriter::number(long long value) {
    beforeValue();
    write(std::to_string(value));
}

void writeUtf8FromGbk(std::FILE* to, std::string_view gbk) {
    utf8FromGbkInPieces(
        gbk, [to](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), to); });
}

}  // namespace kessrune
