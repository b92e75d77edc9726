// JSON written straight to a stream, for results that may hold a style
// sheet of a couple of hundred MiB: nothing is built in memory first.
#ifndef KESSRUNE_CLI_JSON_OUTPUT_H
#define KESSRUNE_CLI_JSON_OUTPUT_H

#include <cstdio>
#include <string>
#include <string_view>

namespace kessrune {

// `utf8` as the inside of a JSON string: '"' and '\' escaped, control bytes
// as \n, \r, \t, \b, \f or \u00XX; every other byte, UTF-8 sequences
// included, as it is.
//   jsonEscaped("a\"b\n") == "a\\\"b\\n"; jsonEscaped("") == ""
std::string jsonEscaped(std::string_view utf8);

// One JSON object, its members written in the order of the calls.
//   JsonObjectWriter json(stdout); json.gbkText("css", css); json.boolean("ready", true);
//   json.close();  // {"css":"...","ready":true}
class JsonObjectWriter {
  public:
    explicit JsonObjectWriter(std::FILE* to);
    JsonObjectWriter(const JsonObjectWriter&) = delete;
    JsonObjectWriter& operator=(const JsonObjectWriter&) = delete;

    // A GBK text, converted to UTF-8 piece by piece.
    void gbkText(std::string_view key, std::string_view gbk);
    void boolean(std::string_view key, bool value);
    void number(std::string_view key, long long value);
    // Writes the closing brace and a line break.
    void close();

  private:
    void key(std::string_view name);

    std::FILE* to_;
    bool first_ = true;
};

// The UTF-8 of a GBK text, written piece by piece.
void writeUtf8FromGbk(std::FILE* to, std::string_view gbk);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_JSON_OUTPUT_H
