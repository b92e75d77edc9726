// The shop addresses of a batch's input: one a line.
#ifndef KESSRUNE_CLI_ADDRESS_LIST_H
#define KESSRUNE_CLI_ADDRESS_LIST_H

#include <string>
#include <string_view>
#include <vector>

namespace kessrune {

// The lines of `text` that name a shop, as they are (a CR before the line
// break dropped); lines that are blank or white space only, and lines whose
// first other character is '#', are skipped. None for "".
//   addressLines("# shops\nhttp://a.taobao.com/\r\n\n  http://b.tmall.com/") ==
//       {"http://a.taobao.com/", "  http://b.tmall.com/"}
std::vector<std::string> addressLines(std::string_view text);

// Appends the address lines of the file `name` ("-": standard input) to
// `out`; false with `error` set ("cannot read FILE: reason") when the file
// cannot be read.
bool readAddressFile(const std::string& name, std::vector<std::string>& out, std::string& error);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_ADDRESS_LIST_H
