#include "search/site_list.h"

#include <algorithm>

namespace trovix {

namespace {

bool starts_with_caseless(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool is_site_address(std::string_view text) {
  std::size_t rest = 0;
  if (starts_with_caseless(text, "http://"))
    rest = 7;
  else if (starts_with_caseless(text, "https://"))
    rest = 8;
  else
    return false;
  for (const char c : text)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
  const std::string_view after = text.substr(rest);
  const std::size_t host_end = after.find_first_of("/?#");
  std::string_view host = after.substr(0, host_end);
  if (const auto at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
  // A port alone ("http://:80/") names no host.
  return !host.empty() && host.front() != ':';
}

SiteList parse_site_list(std::string_view value) {
  SiteList list;
  std::size_t begin = 0;
  while (begin < value.size()) {
    if (value[begin] == ' ' || value[begin] == '\t') {
      ++begin;
      continue;
    }
    std::size_t end = value.find_first_of(" \t", begin);
    if (end == std::string_view::npos) end = value.size();
    const std::string entry(value.substr(begin, end - begin));
    begin = end;
    if (!is_site_address(entry)) {
      list.rejected.push_back(entry);
      continue;
    }
    if (std::find(list.addresses.begin(), list.addresses.end(), entry) == list.addresses.end())
      list.addresses.push_back(entry);
  }
  return list;
}

}  // namespace trovix
