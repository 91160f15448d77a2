#include "catalogue.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace sitesim {

namespace {

constexpr int kDefaultHits = 25;
constexpr long long kMaxHits = 1000000;

std::uint64_t fnv1a(std::string_view text, std::uint64_t seed) {
  std::uint64_t h = 1469598103934665603ULL ^ seed;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  return h;
}

std::uint64_t splitmix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Title shapes the sites really show: Chinese releases, scene-style ASCII
// names, and a few with "&" or an apostrophe that pages must carry through.
// "{k}" is the keyword, "{n}" a small number.
constexpr std::array<std::string_view, 12> kTitleShapes = {
    "{k} 第{n}集 国语中字 高清",        "[{k}].2023.1080p.BluRay.x264-SIM",
    "《{k}》全{n}集 超清合集",          "{k}.S01E{n}.720p.WEB-DL.AAC",
    "{k} & Friends 特别篇 {n}",         "【高清】{k} 蓝光原盘 {n}GB",
    "{k}_Collection_Vol.{n}",           "{k} - Director's Cut (Remastered)",
    "{k} 电子书 PDF+EPUB 共{n}本",      "{k}.OST.FLAC.24bit",
    "【{k}】学习资料 & 教程 第{n}部分", "{k} v{n}.0 绿色中文版",
};

constexpr std::array<std::string_view, 5> kSpeeds = {"极快", "快速", "较快", "一般", "缓慢"};

void replace_all(std::string& text, std::string_view what, std::string_view with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (c < 0x80)
      extra = 0;
    else if (c >= 0xC2 && c <= 0xDF)
      extra = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      extra = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      extra = 3;
    else
      return false;
    if (s.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

// Converts with iconv; an input sequence the target cannot hold (or that is
// invalid) becomes "?" and conversion goes on after it.
std::string convert(std::string_view input, const char* from, const char* to, bool from_utf8) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string out;
  out.reserve(input.size() * 2);
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  std::array<char, 4096> buffer;
  while (in_left > 0) {
    char* dst = buffer.data();
    std::size_t dst_left = buffer.size();
    std::size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer.data(), buffer.size() - dst_left);
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: skip one character of the input.
    out.push_back('?');
    std::size_t skip = 1;
    unsigned char c = static_cast<unsigned char>(*in);
    if (from_utf8) {
      skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    } else if (c >= 0x81 && c <= 0xFE && in_left >= 2) {
      unsigned char d = static_cast<unsigned char>(in[1]);
      skip = (d >= 0x40 && d != 0x7F && d != 0xFF) ? 2 : 1;
    }
    if (skip > in_left) skip = in_left;
    in += skip;
    in_left -= skip;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  return out;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int hit_count(std::string_view keyword) {
  std::size_t start = keyword.size();
  while (start > 0 && keyword[start - 1] >= '0' && keyword[start - 1] <= '9') --start;
  if (start == keyword.size()) return kDefaultHits;
  long long count = 0;
  for (std::size_t i = start; i < keyword.size(); ++i) {
    count = count * 10 + (keyword[i] - '0');
    if (count > kMaxHits) return static_cast<int>(kMaxHits);
  }
  return static_cast<int>(count);
}

Hit catalogue_hit(std::string_view keyword, int index) {
  std::uint64_t state = fnv1a(keyword, static_cast<std::uint64_t>(index) * 0x100000001B3ULL);
  Hit hit;

  std::string title(kTitleShapes[splitmix(state) % kTitleShapes.size()]);
  replace_all(title, "{k}", keyword);
  replace_all(title, "{n}", std::to_string(index + 1));
  hit.title = std::move(title);

  char text[64];
  int year = 2015 + static_cast<int>(splitmix(state) % 10);
  int month = 1 + static_cast<int>(splitmix(state) % 12);
  int day = 1 + static_cast<int>(splitmix(state) % 28);
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  hit.time = text;

  std::uint64_t kb = 50 + splitmix(state) % (40ULL * 1024 * 1024);  // up to 40 GB
  if (kb >= 1024 * 1024)
    std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(kb) / (1024.0 * 1024.0));
  else if (kb >= 1024)
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(kb) / 1024.0);
  else
    std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(kb));
  hit.size = text;

  hit.files = 1 + static_cast<int>(splitmix(state) % 300);
  hit.speed = std::string(kSpeeds[splitmix(state) % kSpeeds.size()]);
  hit.popularity = static_cast<int>(splitmix(state) % 100000);

  static constexpr char kHex[] = "0123456789abcdef";
  hit.info_hash.reserve(40);
  std::uint64_t word = 0;
  for (int i = 0; i < 40; ++i) {
    if (i % 16 == 0) word = splitmix(state);
    hit.info_hash.push_back(kHex[word & 0xF]);
    word >>= 4;
  }
  hit.magnet = "magnet:?xt=urn:btih:" + hit.info_hash;
  return hit;
}

std::string to_gbk(std::string_view utf8) { return convert(utf8, "UTF-8", "GBK", true); }

std::string gbk_to_utf8(std::string_view gbk) { return convert(gbk, "GBK", "UTF-8", false); }

std::string url_decode_utf8(std::string_view encoded, bool plus_is_space) {
  std::string bytes;
  bytes.reserve(encoded.size());
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    char c = encoded[i];
    if (c == '%' && i + 2 < encoded.size()) {
      int hi = hex_value(encoded[i + 1]);
      int lo = hex_value(encoded[i + 2]);
      if (hi >= 0 && lo >= 0) {
        bytes.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    bytes.push_back(plus_is_space && c == '+' ? ' ' : c);
  }
  if (is_valid_utf8(bytes)) return bytes;
  return gbk_to_utf8(bytes);
}

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace sitesim
