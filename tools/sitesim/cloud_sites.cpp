// The two cloud-disk share indexes and the share pages they point to.
//
// /e5: result pages are asked for by POST at /e5/zh/KEYWORD_PAGE; each title
// links to a detail page /e5/file/TOKEN.html whose download button holds the
// share address /e5/s/TOKEN.
// /e6 (served over HTTPS in the services file): result pages at
// /e6/share/o1kwKEYWORDpgPAGE with the hit count in the heading; each hit's
// share address is shown by the redirect page /e6/redirect/file?id=TOKEN and
// lives at /e6/s/TOKEN.
//
// Every third share (hits 2, 5, 8, …) has been withdrawn; the gone pages
// take turns among the six notices share hosts show.
//
// Faults chosen per request by words in the keyword:
//   nomarker  result pages hold neither hits nor a count
//   bigpage   result pages padded to 10 MB
//   badgbk    titles carry bytes that are not valid GBK
//   reset     result pages are cut off after their head (connection closed)
//   nolink    detail and redirect pages hold no share address
//   deadhost  share addresses point at a port where nothing listens
//   overcount /e6 reports 10 hits more than its pages list
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

#include "catalogue.h"
#include "engine_sites.h"
#include "sim.h"

namespace sitesim {

namespace {

constexpr int kHitsPerPage = 10;
constexpr std::size_t kBigPageBytes = 10 * 1024 * 1024;
constexpr std::string_view kDeadHost = "http://127.0.0.1:1";

struct Faults {
  bool no_marker = false;
  bool big_page = false;
  bool bad_gbk = false;
  bool reset = false;
  bool no_link = false;
  bool dead_host = false;
  bool over_count = false;
};

Faults faults_of(std::string_view keyword) {
  auto has = [keyword](std::string_view word) { return keyword.find(word) != keyword.npos; };
  return {has("nomarker"), has("bigpage"),  has("badgbk"),   has("reset"),
          has("nolink"),   has("deadhost"), has("overcount")};
}

// A hit is named by the hex of its keyword and its index, so that detail,
// redirect and share pages can be rebuilt from the address alone.
std::string hit_token(std::string_view keyword, int index) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (unsigned char c : keyword) {
    token.push_back(kHex[c >> 4]);
    token.push_back(kHex[c & 0xF]);
  }
  return token + "-" + std::to_string(index);
}

struct HitRef {
  std::string keyword;
  int index = 0;
};

std::optional<HitRef> parse_token(std::string_view token) {
  const std::size_t dash = token.rfind('-');
  if (dash == token.npos || dash % 2 != 0 || dash + 1 == token.size()) return std::nullopt;
  auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  HitRef hit;
  for (std::size_t i = 0; i < dash; i += 2) {
    const int hi = nibble(token[i]);
    const int lo = nibble(token[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    hit.keyword.push_back(static_cast<char>(hi * 16 + lo));
  }
  for (std::size_t i = dash + 1; i < token.size(); ++i) {
    if (token[i] < '0' || token[i] > '9' || hit.index > 10000000) return std::nullopt;
    hit.index = hit.index * 10 + (token[i] - '0');
  }
  if (hit.index >= hit_count(hit.keyword)) return std::nullopt;
  return hit;
}

// The notice a share host shows for a withdrawn share, or nullopt while the
// share still exists.
std::optional<std::string_view> gone_notice(int index) {
  static constexpr std::array<std::string_view, 6> notices = {
      "啊哦，你所访问的页面不存在了。",
      "抱歉，您访问的文件已被删除，请联系分享者。",
      "啊哦，来晚了，该分享的文件已经被取消了，可以联系分享者重新分享。",
      "链接错误没找到文件，请打开正确的分享链接!",
      "很抱歉，您要访问的页面不存在！",
      "此链接分享内容可能因为涉及侵权、色情、反动、低俗等信息，无法访问！",
  };
  if (index % 3 != 2) return std::nullopt;
  return notices[static_cast<std::size_t>(index / 3) % notices.size()];
}

// Sites show titles on one line whatever the keyword held.
std::string display_title(std::string_view keyword, int index) {
  std::string title = catalogue_hit(keyword, index).title;
  for (char& c : title)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return title;
}

// The title as HTML with the first occurrence of the keyword highlighted.
std::string highlighted(std::string_view title, std::string_view keyword, std::string_view open,
                        std::string_view close) {
  std::string shown_keyword(keyword);
  for (char& c : shown_keyword)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  const std::size_t at = shown_keyword.empty() ? title.npos : title.find(shown_keyword);
  if (at == title.npos) return html_escape(title);
  return html_escape(title.substr(0, at)) + std::string(open) + html_escape(shown_keyword) +
         std::string(close) + html_escape(title.substr(at + shown_keyword.size()));
}

// A title in GBK, with stray bytes when the keyword asks for invalid GBK.
std::string gbk_title(std::string_view html_utf8, const Faults& faults) {
  std::string title = to_gbk(html_utf8);
  if (faults.bad_gbk)
    title +=
        " \x81\x20\xFF\xFF"
        "abc";
  return title;
}

// The request's path as the client wrote it, percent escapes undone (UTF-8
// or GBK keywords both come back as UTF-8).
std::string decoded_path(const httplib::Request& request) {
  std::string_view target = request.target;
  const std::size_t query = target.find('?');
  if (query != target.npos) target = target.substr(0, query);
  return url_decode_utf8(target, false);
}

void pad_to_big_page(std::string& page) {
  static const std::string filler =
      to_gbk("<div class=\"ad\">热门推荐：高速下载 网盘会员 限时优惠</div>\n");
  page.reserve(kBigPageBytes + filler.size());
  while (page.size() < kBigPageBytes) page += filler;
}

// Sends the page up to its body and then closes the connection mid-body.
void send_cut_off(httplib::Response& response, std::string page) {
  const std::size_t announced = page.size() + 100000;
  auto head = std::make_shared<std::string>(page.substr(0, page.find("<body")));
  response.set_content_provider(announced, "text/html",
                                [head](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                  if (offset >= head->size()) return false;
                                  sink.write(head->data() + offset, head->size() - offset);
                                  return true;
                                });
}

void send_page(httplib::Response& response, std::string page, const char* content_type,
               const Faults& faults = {}) {
  if (faults.reset) return send_cut_off(response, std::move(page));
  response.set_content(std::move(page), content_type);
}

void send_not_found(httplib::Response& response) {
  response.status = 404;
  response.set_content(to_gbk("<html><head><meta charset=\"gbk\"><title>404</title></head>"
                              "<body><h1>404 页面未找到</h1></body></html>\n"),
                       "text/html");
}

// ---- shared share pages ----------------------------------------------------

// Share hosts answer in UTF-8 and say so in their head.
std::string share_page(const HitRef& hit) {
  std::string page =
      "<!DOCTYPE html>\n<html>\n<head>\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n";
  if (const auto notice = gone_notice(hit.index)) {
    page += "<title>分享无效</title>\n</head>\n<body>\n<div id=\"share_nofound_des\">\n<p>";
    page += *notice;
    page += "</p>\n</div>\n";
  } else {
    const Hit facts = catalogue_hit(hit.keyword, hit.index);
    page += "<title>" + html_escape(display_title(hit.keyword, hit.index)) +
            "_免费高速下载|云盘-分享无限制</title>\n</head>\n<body>\n"
            "<div class=\"share-file\">\n<h2 class=\"file-name\">" +
            html_escape(display_title(hit.keyword, hit.index)) +
            "</h2>\n<p class=\"file-info\">文件大小：" + facts.size + " 分享时间：" + facts.time +
            "</p>\n<a class=\"btn\" href=\"#save\">保存到我的网盘</a> <a class=\"btn\" "
            "href=\"#download\">下载</a>\n</div>\n";
  }
  page += "<script>var share = {from: \"sim\"};</script>\n</body>\n</html>\n";
  return page;
}

std::string share_address(std::string_view base, const HitRef& hit, std::string_view site_prefix,
                          const Faults& faults) {
  if (faults.dead_host) return std::string(kDeadHost) + "/s/" + hit_token(hit.keyword, hit.index);
  return std::string(base) + std::string(site_prefix) + "/s/" + hit_token(hit.keyword, hit.index);
}

void serve_share(const httplib::Request& request, httplib::Response& response,
                 std::string_view prefix) {
  const std::string path = decoded_path(request);
  const auto hit = parse_token(std::string_view(path).substr(prefix.size()));
  if (!hit) return send_not_found(response);
  send_page(response, share_page(*hit), "text/html; charset=utf-8");
}

// ---- /e5 ----------------------------------------------------------------------

std::string e5_head(std::string_view title_utf8) {
  return "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n"
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />\n"
         "<title>" +
         html_escape(title_utf8) +
         "</title>\n"
         "<link rel=\"stylesheet\" href=\"/static/css/style.css\" />\n"
         "<script type=\"text/javascript\" src=\"/static/js/jquery.min.js\"></script>\n"
         "</head>\n<body>\n"
         "<div class=\"header\"><a href=\"/\" class=\"logo\">网盘搜</a> <a href=\"/hot\">热门</a> "
         "<a href=\"/new\">最新</a></div>\n";
}

void e5_result_page(const SimConfig&, httplib::Response& response, const std::string& keyword,
                    int page_number) {
  const Faults faults = faults_of(keyword);
  std::string page = to_gbk(e5_head(keyword + "_网盘搜索结果") +
                            "<form action=\"/search\" method=\"post\"><input type=\"text\" "
                            "name=\"keyword\" value=\"" +
                            html_escape(keyword) +
                            "\" /><button type=\"submit\">搜索</button></form>\n"
                            "<div class=\"list\">\n");
  const int count = hit_count(keyword);
  const int first = (page_number - 1) * kHitsPerPage;
  int shown = 0;
  for (int index = first;
       !faults.no_marker && index >= 0 && index < count && index < first + kHitsPerPage;
       ++index, ++shown) {
    const Hit facts = catalogue_hit(keyword, index);
    // The site writes its highlight tags in either case.
    const bool upper = index % 2 == 1;
    const std::string title = highlighted(display_title(keyword, index), keyword,
                                          upper ? "<B>" : "<b>", upper ? "</B>" : "</b>");
    page += to_gbk("<div class=\"item\">\n<h3><a href=\"/file/" + hit_token(keyword, index) +
                   ".html\" target=\"_blank\" rel=\"nofollow\" id=\"f" + std::to_string(index + 1) +
                   "\">");
    page += gbk_title(title, faults);
    page += to_gbk("</a></h3>\n<p class=\"info\">文件大小：" + facts.size + " &nbsp; 分享时间：" +
                   facts.time + "</p>\n</div>\n");
  }
  if (shown == 0) page += to_gbk("<div class=\"empty\">没有找到相关资源，换个关键词试试</div>\n");
  page += to_gbk("</div>\n<div class=\"pager\"><a href=\"/zh/" + html_escape(keyword) +
                 "_1\">首页</a> <a href=\"/zh/" + html_escape(keyword) + "_" +
                 std::to_string(page_number + 1) +
                 "\">下一页</a></div>\n"
                 "<script>var _hmt = _hmt || [];</script>\n");
  if (faults.big_page) pad_to_big_page(page);
  page += "</body>\n</html>\n";
  send_page(response, std::move(page), "text/html", faults);
}

void e5_detail_page(const SimConfig& config, httplib::Response& response, const HitRef& hit) {
  const Faults faults = faults_of(hit.keyword);
  const Hit facts = catalogue_hit(hit.keyword, hit.index);
  const std::string title = display_title(hit.keyword, hit.index);
  std::string page = e5_head(title + " - 网盘搜") + "<div class=\"detail\">\n<h1>" +
                     html_escape(title) + "</h1>\n<p>文件大小：" + facts.size +
                     "</p>\n<p>分享时间：" + facts.time + "</p>\n";
  if (faults.no_link) {
    page += "<p class=\"tip\">该资源链接已失效</p>\n";
  } else {
    page += "<div class=\"down\"><a rel=\"noreferrer external nofollow\" href=\"" +
            share_address(config.http_base, hit, "/e5", faults) +
            "\" target=\"_blank\">点击下载</a></div>\n";
  }
  page += "</div>\n</body>\n</html>\n";
  send_page(response, to_gbk(page), "text/html");
}

void serve_e5(const SimConfig& config, const httplib::Request& request,
              httplib::Response& response) {
  static const std::regex result_path(R"(/e5/zh/([\s\S]*)_(\d{1,7}))");
  static const std::regex detail_path(R"(/e5/file/([0-9a-f]*-\d+)\.html)");
  const std::string path = decoded_path(request);
  std::smatch parts;
  if (std::regex_match(path, parts, result_path))
    return e5_result_page(config, response, parts[1].str(), std::stoi(parts[2].str()));
  if (std::regex_match(path, parts, detail_path)) {
    if (const auto hit = parse_token(parts[1].str())) return e5_detail_page(config, response, *hit);
  }
  if (path.starts_with("/e5/s/")) return serve_share(request, response, "/e5/s/");
  send_not_found(response);
}

// ---- /e6 ----------------------------------------------------------------------

std::string e6_head(std::string_view title_utf8) {
  std::string head = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"gbk\">\r\n<title>";
  head += html_escape(title_utf8);
  head +=
      "</title>\r\n<link rel=\"stylesheet\" href=\"/css/app.css\">\r\n"
      "<script src=\"/js/app.js\"></script>\r\n</head>\r\n<body>\r\n"
      "<div class=\"nav\"><a href=\"/\">首页</a> <a href=\"/share/hot\">热门分享</a> "
      "<a href=\"/share/new\">最新分享</a></div>\r\n";
  return head;
}

// Sites group thousands with commas.
std::string grouped(int value) {
  const std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-') out += ',';
    out += digits[i];
  }
  return out;
}

void e6_result_page(httplib::Response& response, const std::string& keyword, int page_number) {
  const Faults faults = faults_of(keyword);
  const int count = hit_count(keyword);
  std::string page = to_gbk(e6_head(keyword + " - 网盘资源搜索"));
  if (faults.no_marker) {
    page += to_gbk("<div class=\"empty\">暂无数据</div>\r\n");
  } else {
    const int reported = faults.over_count ? count + 10 : count;
    page += to_gbk("<div class=\"search-info\"><h2>共有<span>" + grouped(reported) +
                   "</span>条记录</h2></div>\r\n<ul class=\"share-list\">\r\n");
    const int first = (page_number - 1) * kHitsPerPage;
    for (int index = first; index >= 0 && index < count && index < first + kHitsPerPage; ++index) {
      const Hit facts = catalogue_hit(keyword, index);
      const std::string title = display_title(keyword, index);
      page += to_gbk("<li>\r\n<div class=\"title\"><a target=\"_blank\" href=\"/share/file/" +
                     hit_token(keyword, index) + "\" title=\"");
      page += gbk_title(html_escape(title), faults);
      page += to_gbk("\" >" + highlighted(title, keyword, "<em>", "</em>") +
                     "</a></div>\r\n<div class=\"info\">文件大小：<span class=\"fsize\">" +
                     facts.size + "</span> 分享时间：<span class=\"fdt\">" + facts.time +
                     "</span> 浏览：<span class=\"fview\">" + std::to_string(facts.popularity) +
                     "</span></div>\r\n</li>\r\n");
    }
    page += "</ul>\r\n";
  }
  page += to_gbk("<div class=\"pages\"><a href=\"/share/o1kw" + html_escape(keyword) + "pg" +
                 std::to_string(page_number + 1) + "\">下一页</a></div>\r\n");
  if (faults.big_page) pad_to_big_page(page);
  page += "</body>\r\n</html>\r\n";
  send_page(response, std::move(page), "text/html", faults);
}

void e6_redirect_page(const SimConfig& config, httplib::Response& response, std::string_view id) {
  const auto hit = parse_token(id);
  std::string page = e6_head("正在跳转");
  if (!hit || faults_of(hit->keyword).no_link) {
    page += "<div class=\"redirect\"><p>文件不存在或链接已失效</p></div>\r\n";
  } else {
    const std::string address =
        share_address(config.https_base, *hit, "/e6", faults_of(hit->keyword));
    page += "<div class=\"redirect\"><p>正在为您打开...</p> <p>" + address +
            "</p></div>\r\n<script>setTimeout(function(){location.href=\"" + address +
            "\";},3000);</script>\r\n";
  }
  page += "</body>\r\n</html>\r\n";
  send_page(response, to_gbk(page), "text/html");
}

void serve_e6(const SimConfig& config, const httplib::Request& request,
              httplib::Response& response) {
  static const std::regex result_path(R"(/e6/share/o1kw([\s\S]*)pg(\d{1,7}))");
  const std::string path = decoded_path(request);
  std::smatch parts;
  if (std::regex_match(path, parts, result_path))
    return e6_result_page(response, parts[1].str(), std::stoi(parts[2].str()));
  if (path == "/e6/redirect/file") {
    // The id is a hex token, so the query needs no decoding beyond the split.
    return e6_redirect_page(config, response,
                            request.has_param("id") ? request.get_param_value("id") : "");
  }
  if (path.starts_with("/e6/s/")) return serve_share(request, response, "/e6/s/");
  send_not_found(response);
}

}  // namespace

void register_cloud_sites(httplib::Server& server, const SimConfig& config) {
  auto e5 = [config](const httplib::Request& request, httplib::Response& response) {
    serve_e5(config, request, response);
  };
  auto e6 = [config](const httplib::Request& request, httplib::Response& response) {
    serve_e6(config, request, response);
  };
  server.Get(R"(/e5/[\s\S]*)", e5);
  server.Post(R"(/e5/[\s\S]*)", e5);
  server.Get(R"(/e6/[\s\S]*)", e6);
  server.Post(R"(/e6/[\s\S]*)", e6);
}

}  // namespace sitesim
