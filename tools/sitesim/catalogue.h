// The simulator's built-in catalogue: for any keyword a fixed, reproducible
// list of hits that every search site renders in its own page shape, plus the
// text helpers the site pages share (GBK output, keyword decoding).
#pragma once

#include <string>
#include <string_view>

namespace sitesim {

struct Hit {
  std::string title;  // UTF-8; mixes Chinese and ASCII titles, some with "&" or "'"
  std::string time;   // "2024-05-17"
  std::string size;   // "1.37 GB", "700.4 MB", "86.2 KB"
  int files = 1;
  std::string speed;  // a short Chinese word such as "极快"
  int popularity = 0;
  std::string info_hash;  // 40 lower-case hex chars, stable per keyword + index
  std::string magnet;     // "magnet:?xt=urn:btih:" + info_hash
};

// The number of hits for a keyword: the decimal digits at its end ("t45" -> 45,
// "中文7" -> 7, "k0" -> 0, "x5000" -> 5000); 25 when it ends in no digit.
// Absurd counts are capped at 1000000 so a page never loops for ever.
int hit_count(std::string_view keyword_utf8);

// Hit number `index` (0-based) for the keyword; the same arguments always give
// the same hit. The title always contains the keyword.
Hit catalogue_hit(std::string_view keyword_utf8, int index);

// UTF-8 -> GBK for pages served in GBK; a character GBK lacks becomes "?".
std::string to_gbk(std::string_view utf8);
// GBK -> UTF-8 (invalid bytes become "?").
std::string gbk_to_utf8(std::string_view gbk);

// Percent-decodes a keyword taken from a path, query or form ("+" is a space
// unless plus_is_space is false). Clients send keywords either as UTF-8 or as
// GBK; bytes that are not valid UTF-8 are read as GBK, so the result is UTF-8.
std::string url_decode_utf8(std::string_view encoded, bool plus_is_space = true);

// Escapes & < > " ' for HTML text and attribute values.
std::string html_escape(std::string_view text);

}  // namespace sitesim
