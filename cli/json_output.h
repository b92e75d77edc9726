// JSON written straight to a stream, for results that may hold a style
// sheet of a couple of hundred MiB: nothing is built in memory first.
#ifndef KESSRUNE_CLI_JSON_OUTPUT_H
#define KESSRUNE_CLI_JSON_OUTPUT_H

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kessrune {

// `utf8` as the inside of a JSON string: '"' and '\' escaped, control bytes
// as \n, \r, \t, \b, \f or \u00XX; every other byte, UTF-8 sequences
// included, as it is.
//   jsonEscaped("a\"b\n") == "a\\\"b\\n"; jsonEscaped("") == ""
std::string jsonEscaped(std::string_view utf8);

// Writes one JSON value as it is described, separators and all: a member
// of an object is key() then its value.
//   JsonWriter json(stdout);
//   json.beginObject(); json.key("css"); json.gbkString(css);
//   json.key("ready"); json.boolean(true); json.endObject();  // {"css":"...","ready":true}
class JsonWriter {
  public:
    explicit JsonWriter(std::FILE* to) : to_(to) {}
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);

    // A GBK text, converted to UTF-8 piece by piece.
    void gbkString(std::string_view gbk);
    void utf8String(std::string_view utf8);
    void null();
    void boolean(bool value);
    void number(long long value);

  private:
    void beforeValue();
    void write(std::string_view bytes);

    std::FILE* to_;
    std::vector<bool> empty_;  // per open object or array: nothing in it yet
    bool afterKey_ = false;
};

// The UTF-8 of a GBK text, written piece by piece.
void writeUtf8FromGbk(std::FILE* to, std::string_view gbk);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_JSON_OUTPUT_H
