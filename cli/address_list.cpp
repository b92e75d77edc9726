#include "cli/address_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "text/ascii.h"

namespace kessrune {
namespace {

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::vector<std::string> addressLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        std::size_t first = 0;
        while (first < line.size() && isAsciiSpace(line[first]))
            ++first;
        if (first == line.size() || line[first] == '#')
            continue;
        lines.emplace_back(line);
    }
    return lines;
}

bool readAddressFile(const std::string& name, std::vector<std::string>& out, std::string& error) {
    std::unique_ptr<std::FILE, CloseFile> owned;
    std::FILE* in = stdin;
    if (name != "-") {
        owned.reset(std::fopen(name.c_str(), "rb"));
        if (!owned) {
            error = "cannot read " + name + ": " + std::strerror(errno);
            return false;
        }
        in = owned.get();
    }
    std::string text;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        text.append(buffer, n);
    if (std::ferror(in)) {
        error = "cannot read " + (name == "-" ? std::string("standard input") : name) + ": " +
                std::strerror(errno);
        return false;
    }
    for (std::string& line : addressLines(text))
        out.push_back(std::move(line));
    return true;
}

}  // namespace kessrune
