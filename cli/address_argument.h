// The shop address as it comes from the command line: checked at the
// terminal's edge before anything is fetched.
#ifndef KESSRUNE_CLI_ADDRESS_ARGUMENT_H
#define KESSRUNE_CLI_ADDRESS_ARGUMENT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace kessrune {

// Whether `s` is well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF.
//   isValidUtf8("店a") == true; isValidUtf8("\xb5\xea") == false; isValidUtf8("") == true
bool isValidUtf8(std::string_view s);

// `utf8` cut to at most `limit` bytes between characters, "…" added when
// anything was cut: for messages that quote what a user gave.
//   shortened("abcdef", 3) == "abc…"; shortened("abc", 3) == "abc"
std::string shortened(std::string_view utf8, std::size_t limit = 200);

// `s` with its control characters written out (CR as \r, LF as \n, the
// others as \xNN), so that what quotes it stays one line.
//   visible("a\r\nb\x01") == "a\\r\\nb\\x01"; visible("") == ""
std::string visible(std::string_view s);

struct AddressArgument {
    std::string address;  // UTF-8, without the white space around it
    std::string problem;  // "" when the address can be run; else why not, for a person
};

// The white space around `raw` (space, tab, CR, LF, vertical tab, form
// feed) goes; an argument that is not valid UTF-8, or that holds a control
// character (0x00-0x1F, 0x7F) inside, is refused.
//   checkAddressArgument(" http://x.taobao.com/\n").address == "http://x.taobao.com/"
//   checkAddressArgument("http://x/\r\nHost: y").problem ==
//       "the address holds a control character (CR) at byte 10: http://x/\r\nHost: y"
//   (the control characters shown as \r, \n, \xNN)
AddressArgument checkAddressArgument(std::string_view raw);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_ADDRESS_ARGUMENT_H
