// File names made from addresses, safe to create inside a chosen folder.
//
// An address is data, so the name cut from it may hold nothing that a file
// system or a later reader would take as structure: no "/", "\", no run of
// dots (so no ".."), no control byte, no leading or trailing dot, no byte
// outside a small set of ASCII letters, digits and "-_.~" beyond well-formed
// UTF-8 characters (so a Chinese name stays readable). Whatever else is
// there becomes "_".
//   imageFileName("http://x/i/%E5%9B%BE.png?v=2") == "图.png"
//   imageFileName("http://x/%2e%2e%2f%2e%2e%2fetc%2fpasswd") == "_._etc_passwd"
//   imageFileName("http://x/") == "image"
//   FileNamer n; n.claim("a.png") == "a.png"; n.claim("A.png") == "A-2.png"
//   relativeUrl("images/图.png") == "images/%E5%9B%BE.png"
#ifndef KESSRUNE_KEEP_FILE_NAMES_H
#define KESSRUNE_KEEP_FILE_NAMES_H

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

namespace kessrune::keep {

// The most bytes of a name's stem (the part before its extension); the
// extension adds at most 11 ("." and 10 letters or digits).
inline constexpr std::size_t kMaxStemBytes = 80;

// A safe file name from the last path segment of `address` (query and
// fragment left out, %XX escapes decoded first, so that an escaped "/" or
// NUL is caught like a plain one). The extension, the part after the last
// dot, is kept when it is 1-10 ASCII letters or digits; the stem is cut to
// kMaxStemBytes between characters. "image" (with the extension, if any)
// when nothing is left of the stem; never "".
std::string imageFileName(std::string_view address);

// Hands out each name once: a name already given, in any ASCII letter case
// (a folder may not tell case apart), comes back with "-2", "-3" ... before
// its extension. Not thread-safe.
class FileNamer {
  public:
    std::string claim(std::string_view name);

  private:
    std::set<std::string> taken_;  // in lower case
};

// `path` (a relative path of safe names joined by "/") as a URL a sheet can
// hold: every byte outside ASCII letters, digits and "-_.~/" written %XX, so
// that a browser finds the very file whatever the sheet's encoding.
std::string relativeUrl(std::string_view path);

}  // namespace kessrune::keep

#endif  // KESSRUNE_KEEP_FILE_NAMES_H
