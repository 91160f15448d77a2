// The four torrent-index sites under /e1 … /e4, each in the page shapes its
// real counterpart serves, filled from the catalogue.
//
// Per-request switches, taken from the search keyword (UTF-8):
//   "nomarker"   pages without counts, hits or end markers
//   "bigpage"    every page carries 10 MB of extra markup
//   "badgbk"     invalid GBK bytes inside every title
//   "reset"      every answer of the site sends its headers, then cuts the connection
//   "cutpage2"   result page 2 is cut off half way
//   "fixture"    the first hit has a fixed, hand-written title (clean-up cases)
//   "fullpages"  (site 3) every page is full whatever the count says
//   "noredirect" (site 1) the search form answers 200 without a redirect
//   "pnftitle"   (site 4) a title on page 2 mentions "Page not found"
//   "nopanel"    (site 3) hits link to detail pages without the magnet panel
//   "echoform"   (sites 1, 2) the first hit's title is the keyword exactly as
//                it was sent, still percent-encoded
//   "slowpage3"  result page 3 answers 1.5 s late (behind the pages after it)
//   "stallpage3" result page 3 answers 10 s late (a request that stalls)
//   "hugepage2"  result page 2 alone carries 10 MB of extra markup
#include <httplib.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "catalogue.h"
#include "engine_sites.h"
#include "sim.h"

namespace sitesim {

namespace {

struct Switches {
  bool no_marker = false;
  bool big_page = false;
  bool bad_gbk = false;
  bool reset = false;
  bool cut_page2 = false;
  bool fixture = false;
  bool full_pages = false;
  bool no_redirect = false;
  bool pnf_title = false;
  bool echo_form = false;
  bool no_panel = false;
  bool slow_page3 = false;
  bool huge_page2 = false;
  bool stall_page3 = false;
};

Switches switches_of(std::string_view keyword) {
  auto has = [&](std::string_view word) { return keyword.find(word) != std::string_view::npos; };
  Switches s;
  s.no_marker = has("nomarker");
  s.big_page = has("bigpage");
  s.bad_gbk = has("badgbk");
  s.reset = has("reset");
  s.cut_page2 = has("cutpage2");
  s.fixture = has("fixture");
  s.full_pages = has("fullpages");
  s.no_redirect = has("noredirect");
  s.pnf_title = has("pnftitle");
  s.echo_form = has("echoform");
  s.no_panel = has("nopanel");
  s.slow_page3 = has("slowpage3");
  s.huge_page2 = has("hugepage2");
  s.stall_page3 = has("stallpage3");
  return s;
}

// Hits [first, last) of a page of `per_page` hits.
struct PageRange {
  int first = 0;
  int last = 0;
};

PageRange page_range(int hits, int page, int per_page) {
  PageRange range;
  if (page < 1) return range;
  const long long first = static_cast<long long>(page - 1) * per_page;
  range.first = static_cast<int>(std::min<long long>(first, hits));
  range.last = static_cast<int>(std::min<long long>(first + per_page, hits));
  return range;
}

constexpr std::string_view kBadGbk = "\x81\x20\xFF";
// Pages are written in UTF-8 and converted once; the invalid bytes go in
// after the conversion, where this mark stands.
constexpr std::string_view kBadGbkMark = "{{invalid-gbk}}";

const std::string& big_filler() {
  static const std::string filler = [] {
    std::string line = "<p class=\"filler\">";
    line.append(96, 'x');
    line += "</p>\n";
    std::string text;
    const std::size_t size = 10u * 1024u * 1024u;
    text.reserve(size + line.size());
    while (text.size() < size) text += line;
    return text;
  }();
  return filler;
}

// Sends a GBK page, applying the switches that change how it travels.
void send_page(httplib::Response& res, std::string_view utf8_body, const Switches& s, bool cut,
               int status = 200, int page = 0) {
  res.status = status;
  if (s.slow_page3 && page == 3) sleep_unless_stopping(std::chrono::milliseconds(1500));
  if (s.stall_page3 && page == 3) sleep_unless_stopping(std::chrono::seconds(10));
  std::string body = to_gbk(utf8_body);
  for (std::size_t at = body.find(kBadGbkMark); at != std::string::npos;
       at = body.find(kBadGbkMark, at))
    body.replace(at, kBadGbkMark.size(), kBadGbk);
  if (s.big_page || (s.huge_page2 && page == 2)) {
    const std::size_t at = body.rfind("</body>");
    body.insert(at == std::string::npos ? body.size() : at, big_filler());
  }
  const char* type = "text/html; charset=gbk";
  if (s.reset || cut) {
    const std::size_t keep = s.reset ? 0 : body.size() / 2;
    auto shared = std::make_shared<std::string>(std::move(body));
    res.set_content_provider(shared->size(), type,
                             [shared, keep](std::size_t, std::size_t, httplib::DataSink& sink) {
                               if (keep > 0) sink.write(shared->data(), keep);
                               return false;  // closes the connection short of the length
                             });
    return;
  }
  res.set_content(std::move(body), type);
}

std::string head(std::string_view title_utf8, std::string_view charset) {
  std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" ";
  page += "content=\"text/html; charset=";
  page += charset;
  page += "\" />\n<title>";
  page += title_utf8;
  page += "</title>\n<link rel=\"stylesheet\" href=\"/static/style.css\" />\n";
  page +=
      "<script type=\"text/javascript\">var _hmt = _hmt || []; (function() { var hm = "
      "document.createElement(\"script\"); hm.async = true; })();</script>\n";
  page += "</head>\n<body>\n";
  return page;
}

std::string tail() {
  return "<div class=\"footer\">\n<p>本站不存储任何资源，所有内容均来自网络。</p>\n"
         "<p>&copy; 2024 <a href=\"/about.html\">关于我们</a> | <a "
         "href=\"/dmca.html\">DMCA</a></p>\n</div>\n<script "
         "src=\"/static/tongji.js\"></script>\n</body>\n</html>\n";
}

// The title text a page carries: the catalogue title, HTML-escaped, with the
// first occurrence of the keyword wrapped in `open` … `close`.
std::string highlighted(std::string_view title, std::string_view keyword, std::string_view open,
                        std::string_view close) {
  const std::size_t at = keyword.empty() ? std::string_view::npos : title.find(keyword);
  if (at == std::string_view::npos) return html_escape(title);
  return html_escape(title.substr(0, at)) + std::string(open) + html_escape(keyword) +
         std::string(close) + html_escape(title.substr(at + keyword.size()));
}

// A title for a page, marked for the invalid bytes when they are asked for.
std::string page_title(const std::string& utf8, const Switches& s) {
  std::string text = utf8;
  if (s.bad_gbk) {
    std::size_t at = text.size() / 2;  // on a character boundary, so the mark survives
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
    text.insert(at, kBadGbkMark);
  }
  return text;
}

std::string hex_of(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0xF]);
  }
  return out;
}

std::string unhex(std::string_view hex) {
  std::string out;
  auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1])));
  return out;
}

// The raw (still percent-encoded) path of a request, without its query.
std::string raw_path(const httplib::Request& req) {
  const std::string& target = req.target.empty() ? req.path : req.target;
  return target.substr(0, target.find('?'));
}

// ---- site 1: a search form answering with a redirect ------------------------

std::string site1_page(std::string_view sent_keyword, int page, const Switches& s) {
  const std::string keyword = url_decode_utf8(sent_keyword);
  const int hits = hit_count(keyword);
  std::string out =
      head(std::string(keyword) + " - 种子搜索 - 第" + std::to_string(page) + "页", "gbk");
  out +=
      "<div class=\"nav\"><a href=\"/\">首页</a> | <a href=\"/hot.html\">热门搜索</a> | <a "
      "href=\"/new.html\">最新收录</a></div>\n<div class=\"wrapper\">\n";
  if (s.no_marker) {
    out += "<div class=\"notice\">系统维护中，请稍后再来。</div>\n</div>\n";
    return out + tail();
  }
  if (hits == 0) {
    out += "<div class=\"search-tips\">没有找到相关搜索结果，请尝试更换关键词重新搜索。</div>\n";
    return out + "</div>\n" + tail();
  }
  out += "<div class=\"search-tips\">搜索到" + std::to_string(hits) + "个BT种子，显示前" +
         std::to_string(hits) + "个，用时0.012秒。</div>\n<div class=\"search-list\">\n";
  const PageRange range = page_range(hits, page, 20);
  for (int index = range.first; index < range.last; ++index) {
    const Hit hit = catalogue_hit(keyword, index);
    std::string title;
    if (s.echo_form && index == 0) {
      title = std::string(sent_keyword) + "</a>";
    } else if (s.fixture && index == 0) {
      title = "<b>Foo</b> Bar</a><sup>New</sup>&nbsp;";
    } else if (s.fixture && index == 1) {
      title = "<B>Up</B> Case</a>";
    } else {
      static constexpr std::string_view kEnds[] = {"</a><sup>Hot</sup>&nbsp;",
                                                   "</a><sup>New</sup>&nbsp;", "</a>"};
      title = page_title(highlighted(hit.title, keyword, "<b>", "</b>"), s) +
              std::string(kEnds[index % 3]);
    }
    out += "<div class=\"search-item\">\n<dl>\n<dt><a href=\"/info/" + hit.info_hash +
           ".html\" target=\"_blank\">" + title + "</dt>\n\t\t\t\t\t\n\t\t\t\t\t";
    out += "<dd class='attr'><span>收录时间:<b>" + hit.time + "</b></span><span>文件大小:<b>" +
           hit.size + "</b></span><span>文件数:<b>" + std::to_string(hit.files) +
           "</b></span><span>下载速度:<b>" + hit.speed + "</b></span>&nbsp;&nbsp;<span>人气:<b>" +
           std::to_string(hit.popularity) + "</b></span><span><a style='color:#777;' href='" +
           hit.magnet + "' >磁力链接</a></span></dd>\n</dl>\n</div>\n";
  }
  out += "</div>\n<div class=\"pager\">";
  out += "<a href=\"1/1/0.html\">首页</a> <span>第" + std::to_string(page) +
         "页</span></div>\n</div>\n";
  return out + tail();
}

void register_site1(httplib::Server& server, const SimConfig& config) {
  auto form = [config](const httplib::Request& req, httplib::Response& res) {
    std::string field = req.body;
    const std::size_t at = field.find("keyword=");
    field = at == std::string::npos ? std::string() : field.substr(at + 8);
    field = field.substr(0, field.find('&'));
    const std::string keyword = url_decode_utf8(field);
    const Switches s = switches_of(keyword);
    if (s.no_redirect) {
      send_page(res, head("种子搜索", "gbk") + tail(), s, false);
      return;
    }
    res.status = 302;
    // Headers go out sorted by name, so "Server" follows "Location".
    // The token carries the field as it was sent, so pages can show it.
    res.set_header("Location", config.http_base + "/e1/search/" + hex_of(field) + "/1/1/0.html");
    res.set_header("Server", "nginx/1.18.0");
    send_page(res, "<html><body>正在跳转...</body></html>\n", s, false, 302);
  };
  server.Post("/e1/", form);
  server.Post("/e1", form);
  server.Get("/e1/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(to_gbk(head("种子搜索", "gbk") +
                           "<form method=\"post\" action=\"/\"><input name=\"keyword\" />"
                           "<input type=\"submit\" value=\"搜索\" /></form>\n" +
                           tail()),
                    "text/html; charset=gbk");
  });
  server.Get(R"(/e1/search/([0-9a-f]*)/(\d+)/1/0\.html)", [](const httplib::Request& req,
                                                             httplib::Response& res) {
    const std::string sent_keyword = unhex(req.matches[1].str());
    const int page = std::atoi(req.matches[2].str().c_str());
    const Switches s = switches_of(url_decode_utf8(sent_keyword));
    send_page(res, site1_page(sent_keyword, page, s), s, s.cut_page2 && page == 2, 200, page);
  });
}

// ---- site 2: keyword and page in the query string ---------------------------

std::string query_value(const httplib::Request& req, std::string_view name) {
  const std::size_t q = req.target.find('?');
  if (q == std::string::npos) return {};
  const std::string query = req.target.substr(q + 1);
  std::size_t at = 0;
  while (at <= query.size()) {
    std::size_t end = query.find('&', at);
    if (end == std::string::npos) end = query.size();
    const std::string_view item(query.data() + at, end - at);
    if (item.substr(0, name.size()) == name && item.size() > name.size() &&
        item[name.size()] == '=')
      return std::string(item.substr(name.size() + 1));
    at = end + 1;
  }
  return {};
}

std::string site2_page(std::string_view sent_keyword, int page, const Switches& s) {
  const std::string keyword = url_decode_utf8(sent_keyword);
  const int hits = hit_count(keyword);
  std::string out = head(std::string(keyword) + " - 磁力搜索", "gb2312");
  out +=
      "<header class=\"top\">\n\t<a class=\"logo\" href=\"/\">磁力搜索</a>\n\t<form "
      "action=\"/search\"><input name=\"keyword\" value=\"\" /></form>\n</header>\n<main>\n";
  if (s.no_marker) return out + "<p>服务器繁忙</p>\n</main>\n" + tail();
  if (hits == 0) {
    out += "<div class=\"empty\">很抱歉，没有找到有关“" + html_escape(keyword) +
           "”的资源，请换个关键词试试。</div>\n</main>\n";
    return out + tail();
  }
  out += "<div class=\"total\">共找到" + std::to_string(hits) +
         "条结果, 用时0.012 秒</div>\n<div class=\"list\">\n";
  const PageRange range = page_range(hits, page, 20);
  for (int index = range.first; index < range.last; ++index) {
    const Hit hit = catalogue_hit(keyword, index);
    std::string title =
        s.echo_form && index == 0 ? std::string(sent_keyword)
        : s.fixture && index == 0
            ? std::string("<span class='highlight'>Fo</span><span class='highlight'>o</span> Bar")
            : page_title(highlighted(hit.title, keyword, "<span class='highlight'>", "</span>"), s);
    out += "\t\t<div class=\"item\">\n\t\t\t<a href=\"/hash/" + hit.info_hash +
           "\" target=\"_blank\">\n\t\t\t\t<h5 class=\"h\">" + title + "</h5>\n\t\t\t\t</a>\n";
    out +=
        "\t\t\t\t<div>\n\t\t\t\t\t<span style=\"padding-right: 10px; vertical-align: "
        "middle;\">收录时间：<span\n\t\t\t\t\t\tclass=\"prop_val\">" +
        hit.time +
        "</span></span> <span\n\t\t\t\t\t\tstyle=\"padding-right: 10px; vertical-align: "
        "middle;\">大小：<span\n\t\t\t\t\t\tclass=\"prop_val\">" +
        hit.size +
        "</span></span> <span\n\t\t\t\t\t\tstyle=\"padding-right: 10px; vertical-align: "
        "middle;\">文件数：<span\n\t\t\t\t\t\tclass=\"prop_val\">" +
        std::to_string(hit.files) + "</span></span> <a\n\t\t\t\t\t\thref=\"" + hit.magnet +
        "\">\n\t\t\t\t\t\t<img src=\"/static/magnet.png\" alt=\"磁力链接\" />\n\t\t\t\t\t</a>\n"
        "\t\t\t\t</div>\n\t\t</div>\n";
  }
  out += "</div>\n<nav class=\"pages\"><span class=\"current\">" + std::to_string(page) +
         "</span></nav>\n</main>\n";
  return out + tail();
}

void register_site2(httplib::Server& server) {
  server.Get("/e2/search", [](const httplib::Request& req, httplib::Response& res) {
    const std::string sent_keyword = query_value(req, "keyword");
    const int page = std::atoi(query_value(req, "p").c_str());
    const Switches s = switches_of(url_decode_utf8(sent_keyword));
    send_page(res, site2_page(sent_keyword, page, s), s, s.cut_page2 && page == 2, 200, page);
  });
}

// ---- site 3: script-written titles, hits link to detail pages ---------------

// The title as the page's script hands it to decodeURIComponent: every byte
// that is not a letter or digit escaped, split into two quoted pieces joined
// by "+".
std::string scripted_title(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  std::size_t middle = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (i == utf8.size() / 2) middle = escaped.size();
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      escaped.push_back(static_cast<char>(c));
    } else {
      escaped.push_back('%');
      escaped.push_back(kHex[c >> 4]);
      escaped.push_back(kHex[c & 0xF]);
    }
  }
  return "document.write(decodeURIComponent(\"" + escaped.substr(0, middle) + "\"+\"" +
         escaped.substr(middle) + "\"));";
}

std::string site3_page(std::string_view keyword, int page, const Switches& s) {
  const int hits = hit_count(keyword);
  std::string out = head(std::string(keyword) + " - Torrent Kitty Search", "gbk");
  out += "<div class=\"header\">\n<a href=\"/\" class=\"logo\">BT Search</a>\n</div>\n";
  out += "<div class=\"main\">\n";
  if (s.no_marker) return out + "<p>Service temporarily unavailable.</p>\n</div>\n" + tail();
  out += "<div class=\"search-statu\"><span>About " + std::to_string(hits) +
         " results in 12 milliseconds</span></div>\n<div class=\"search-list\">\n";
  const PageRange range = page_range(s.full_pages ? page * 10 : hits, page, 10);
  for (int index = range.first; index < range.last; ++index) {
    const Hit hit = catalogue_hit(keyword, index);
    std::string path =
        "/wiki/" + std::string(s.no_panel ? "nopanel-" : "") + hit.info_hash + ".html";
    // The script writes the title as text, so it carries no HTML escapes.
    std::string title = hit.title;
    if (const std::size_t at = keyword.empty() ? std::string::npos : title.find(keyword);
        at != std::string::npos)
      title = title.substr(0, at) + "<b>" + std::string(keyword) + "</b>" +
              title.substr(at + keyword.size());
    if (s.fixture && index == 0) {
      path = "/wiki/abc.html";
      title = "中文<b>标题</b> A+B";
    }
    if (s.bad_gbk) title.insert(title.size() / 2, kBadGbk);  // reaches the page percent-encoded
    out += "<div class=\"search-item\">\n<div class=\"item-title\">\n<h3>\n<a href=\"" + path +
           "\" target=\"_blank\"><script type=\"text/javascript\">" + scripted_title(title) +
           "</script>\n</a>\n</h3>\n</div>\n<div class=\"item-bar\">\n";
    out += "<span>\nCreate Time：\n<b class=\"cpill blue-pill\">" + hit.time +
           "</b>\n</span><span>\nFile Size：\n<b class=\"cpill yellow-pill\">" + hit.size +
           "</b>\n</span>\n<span>Hot：<b>" + std::to_string(hit.popularity) +
           "</b></span>\n</div>\n</div>\n";
  }
  out +=
      "</div>\n<div class=\"pagination\"><span>" + std::to_string(page) + "</span></div>\n</div>\n";
  return out + tail();
}

// The detail page the magnet-link window reads: "nopanel-…" has no magnet
// panel, "big-…" carries 10 MB of markup before its panel.
std::string site3_detail(std::string_view name) {
  std::string out = head("Torrent detail", "gbk");
  out += "<div class=\"main\">\n<h2>Torrent detail</h2>\n";
  if (name.substr(0, 7) == "nopanel")
    return out + "<p>This torrent was removed.</p>\n</div>\n" + tail();
  if (name.substr(0, 4) == "big-") {
    name.remove_prefix(4);
    const std::string filler = "<p class=\"comment\">filler text of a long comment thread</p>\n";
    out.reserve(out.size() + 10 * 1024 * 1024 + 1024);
    while (out.size() < 10 * 1024 * 1024) out += filler;
  }
  const std::string magnet = name == "abc" ? std::string("magnet:?xt=urn:btih:0123")
                                           : "magnet:?xt=urn:btih:" + std::string(name);
  out +=
      "<div class=\"panel\">\n<div class=\"panel-header\">\nMagnet Link\n</div>\n"
      "<div class=\"panel-body\">\n<a href=\"" +
      magnet + "\">" + magnet + "</a>\n</div>\n</div>\n</div>\n";
  return out + tail();
}

void register_site3(httplib::Server& server) {
  server.Get(R"(/e3/search/([\s\S]*)/(\d+)-1\.html)",
             [](const httplib::Request& req, httplib::Response& res) {
               // The keyword arrives raw in the path, so it is read from the
               // undecoded request target.
               const std::string path = raw_path(req);
               const std::size_t slash = path.rfind('/');
               const std::string raw_keyword =
                   path.substr(sizeof("/e3/search/") - 1, slash - (sizeof("/e3/search/") - 1));
               const std::string keyword = url_decode_utf8(raw_keyword, false);
               const int page = std::atoi(req.matches[2].str().c_str());
               const Switches s = switches_of(keyword);
               send_page(res, site3_page(keyword, page, s), s, s.cut_page2 && page == 2, 200, page);
             });
  server.Get(R"(/e3/wiki/([^/]+)\.html)", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(to_gbk(site3_detail(req.matches[1].str())), "text/html; charset=gbk");
  });
}

// ---- site 4: pages by keyword and number, ending in "Page not found" ----------

std::string site4_page(std::string_view keyword, int page, const Switches& s) {
  const int hits = hit_count(keyword);
  std::string out = head(std::string(keyword) + " - 按创建时间排序", "gbk");
  out +=
      "<nav class=\"navbar\">\n  <a class=\"navbar-brand\" href=\"/\">种子搜</a>\n  <ul "
      "class=\"nav\"><li><a href=\"/top.html\">排行</a></li></ul>\n</nav>\n<div "
      "class=\"container\">\n";
  if (s.no_marker) return out + "<p>加载中……</p>\n</div>\n" + tail();
  const PageRange range = page_range(hits, page, 10);
  for (int index = range.first; index < range.last; ++index) {
    const Hit hit = catalogue_hit(keyword, index);
    std::string title = page_title(html_escape(hit.title), s);
    if (s.fixture && index == 0) title = "<span>Foo</SPAN> Bar";
    if (s.pnf_title && index == 10) title = "Page not found " + title;
    title += "</span>";
    out +=
        "<div class=\"media\">\n  <div class=\"media-body\">\n    <h4 class=\"media-heading\">\n"
        "      <a href=\"/hash/" +
        hit.info_hash + ".html\" target=\"_blank\">\n                <span class=\"highlight\">" +
        title + "\n                </a>\n    </h4>\n    ";
    out +=
        "<div class=\"media-more\">\n                <cite>创建日期：</cite><span "
        "class=\"label label-success\">" +
        hit.time +
        "</span>&nbsp;&nbsp;&nbsp;\n                <cite>文件大小：</cite><span "
        "class=\"label label-warning\">" +
        hit.size +
        "</span>&nbsp;&nbsp;&nbsp;\n                <cite>访问热度：</cite><span "
        "class=\"label label-primary\">" +
        std::to_string(hit.popularity) +
        "</span>&nbsp;&nbsp;&nbsp;\n\t\t\t\t<span class=\"media-down\"><a href=\"" + hit.magnet +
        "\">磁力下载</a></span>\n    </div>\n  </div>\n</div>\n";
  }
  out += "<ul class=\"pagination\"><li class=\"active\">" + std::to_string(page) +
         "</li></ul>\n</div>\n";
  return out + tail();
}

std::string site4_not_found() {
  return head("404", "gbk") +
         "<div class=\"container\">\n<h1>Page not found</h1>\n<p>The page you requested could "
         "not be found.</p>\n</div>\n" +
         tail();
}

void register_site4(httplib::Server& server) {
  server.Get(R"(/e4/search/([\s\S]*)_ctime_(\d+)\.html)", [](const httplib::Request& req,
                                                             httplib::Response& res) {
    const std::string path = raw_path(req);
    const std::size_t end = path.rfind("_ctime_");
    const std::string raw_keyword =
        path.substr(sizeof("/e4/search/") - 1, end - (sizeof("/e4/search/") - 1));
    const std::string keyword = url_decode_utf8(raw_keyword, false);
    const int page = std::atoi(req.matches[2].str().c_str());
    const Switches s = switches_of(keyword);
    const int hits = hit_count(keyword);
    const bool past_end = !s.no_marker && static_cast<long long>(page - 1) * 10 >= hits;
    if (past_end)
      send_page(res, site4_not_found(), s, false, 404);
    else
      send_page(res, site4_page(keyword, page, s), s, s.cut_page2 && page == 2, 200, page);
  });
}

}  // namespace

void register_torrent_sites(httplib::Server& server, const SimConfig& config) {
  register_site1(server, config);
  register_site2(server);
  register_site3(server);
  register_site4(server);
}

}  // namespace sitesim
