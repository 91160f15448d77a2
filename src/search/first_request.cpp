#include "search/first_request.h"

#include "search/engine_patterns.h"
#include "web/codec.h"
#include "web/regex_matcher.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace trovix {

namespace {

constexpr int kGet = 0;
constexpr int kPost = 1;

FirstExchange fetch(const std::string& url, int method, int timeout) {
  FirstExchange exchange;
  exchange.page = WebRequest(url, method, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {},
                             {}, timeout, nullptr, &exchange.status);
  exchange.answered = !site_failed(exchange.status);
  return exchange;
}

// Engine 1's form answers with a redirect to the search's first result page;
// the address is read from the raw header block, which the site ends with its
// Server line.
FirstExchange engine1_exchange(const std::string& site, const std::string& keyword, int timeout) {
  FirstExchange exchange;
  std::string headers;
  std::string form_status;
  WebRequest(site, kPost, "keyword=" + url_encode(keyword, false, true), nullptr, nullptr, {},
             &headers, true, {}, {}, {}, {}, {}, timeout, nullptr, &form_status);
  exchange.redirect =
      replace_many(text_between(headers, "Location: ", "Server"), -1, 1, false, "\r\n", "");
  std::string page_status;
  exchange.page = WebRequest(exchange.redirect, kGet, {}, nullptr, nullptr, {}, nullptr, false, {},
                             {}, {}, {}, {}, timeout, nullptr, &page_status);
  // Without a redirect the form's own answer decides: the site answered, but
  // not as the engine expects.
  const bool follow_decides = site_failed(form_status) || exchange.redirect.empty();
  exchange.status = follow_decides ? form_status : page_status;
  exchange.answered = !site_failed(exchange.status);
  return exchange;
}

bool has_between(std::string_view page, std::string_view left, std::string_view right) {
  return !text_between(page, left, right).empty();
}

bool first_group_found(const std::string& pattern, std::string_view page, int group) {
  RegexMatcher matcher;
  matcher.match(pattern, page);
  return !matcher.submatch_text(1, group).empty();
}

}  // namespace

bool site_failed(std::string_view status) {
  if (status.size() < 3) return true;
  return status[0] == '7' || status[0] == '5';
}

FirstExchange first_exchange(int engine_number, const std::string& site, const std::string& keyword,
                             int timeout) {
  switch (engine_number) {
    case 1:
      return engine1_exchange(site, keyword, timeout);
    case 2:
      return fetch(site + "search?keyword=" + url_encode(keyword, true, true) + "&p=1", kGet,
                   timeout);
    case 3:
      return fetch(site + "/search/" + keyword + "/1-1.html", kGet, timeout);
    case 4:
      return fetch(site + "search/" + keyword + "_ctime_1.html", kGet, timeout);
    case 5:
      return fetch(site + "/zh/" + keyword + "_1", kPost, timeout);
    case 6:
      return fetch(site + "/share/o1kw" + keyword + "pg1", kGet, timeout);
    default:
      return {};
  }
}

bool first_page_recognised(int engine_number, const FirstExchange& exchange) {
  const std::string& page = exchange.page;
  switch (engine_number) {
    case 1: {
      static const std::string nothing_found = gbk("找到相关搜索结果，请尝试更换关键词重新搜");
      return find_text(page, nothing_found) != -1 ||
             has_between(page, gbk("搜索到"), gbk("个BT种子，显示前"));
    }
    case 2: {
      static const std::string nothing_found = gbk("很抱歉，没有找到有关");
      return find_text(page, nothing_found) != -1 ||
             has_between(page, gbk("共找到"), gbk("条结果, 用时"));
    }
    case 3:
      return has_between(page, "<span>About ", "results in ");
    case 4:
      return first_group_found(engine4_facts_pattern(), page, 1);
    case 5:
      return first_group_found(engine5_result_pattern(), page, 3);
    case 6:
      return find_text(page, gbk("共有<span>")) != -1 &&
             find_text(page, gbk("</span>条记录</h2>")) != -1;
    default:
      return false;
  }
}

}  // namespace trovix
