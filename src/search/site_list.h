// Mirror lists: an engine's key in the services file may name several
// addresses of one site, separated by blanks, tried in that order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trovix {

// True for an http:// or https:// address (scheme in any letter case) with a
// host, and without blanks or control characters.
bool is_site_address(std::string_view text);

struct SiteList {
  std::vector<std::string> addresses;  // in the file's order, each once
  std::vector<std::string> rejected;   // entries that are not site addresses
};

// Splits a value at blanks (spaces and tabs). Addresses are kept exactly as
// written; a repeated address is kept only where it first appears.
SiteList parse_site_list(std::string_view value);

}  // namespace trovix
