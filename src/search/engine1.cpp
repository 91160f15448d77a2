// 种子引擎1: a torrent index whose search form answers a POST with a redirect
// to the result pages of a site-side search token.
#include <algorithm>

#include "search/engine_common.h"
#include "search/engine_patterns.h"
#include "search/engines.h"
#include "search/fetch_pool.h"
#include "web/codec.h"
#include "web/regex_matcher.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace trovix {

namespace {

constexpr int kEngine = 1;
constexpr int kPost = 1;
constexpr int kPageLimit = 100;  // the site lists no more than this many pages

// The site marks the keyword with <b> and appends its Hot/New badges inside
// the title; the clean-up respects letter case, so an upper-case <B> stays.
std::string clean_title(std::string_view title) {
  const std::string first =
      replace_many(title, -1, 1, true, "<b>", "", "</b>", "", "</a><sup>Hot</sup>&nbsp;", "",
                   "</a><sup>New</sup>&nbsp;", "", "<sup>Hot</sup>&nbsp;", "");
  return replace_many(first, -1, 1, true, "</a>", "");
}

PageRows read_result_page(const std::string& address, int rows_per_page) {
  RegexMatcher matcher;
  matcher.match(engine1_result_pattern(), WebRequest(address));
  PageRows rows;
  for (int j = 1; j <= rows_per_page; ++j)
    rows.push_back({clean_title(matcher.submatch_text(j, 1)), matcher.submatch_text(j, 2),
                    matcher.submatch_text(j, 3), matcher.submatch_text(j, 6),
                    matcher.submatch_text(j, 7)});
  return rows;
}

}  // namespace

void run_engine1(SearchContext& context) {
  static const std::string nothing_found = gbk("找到相关搜索结果，请尝试更换关键词重新搜");
  static const std::string count_left = gbk("搜索到");
  static const std::string count_right = gbk("个BT种子，显示前");
  static const std::string time_left = gbk("个，用时");
  static const std::string time_right = gbk("秒。");
  static const std::string seconds = gbk("秒");
  static const std::string nothing_line = gbk("<<<好像什么都没有找到，换一个搜索引擎试试吧~\r\n");
  static const std::string lost_line = gbk("<<<软件和服务器失联啦，请重试！\r\n");
  static const std::string start_head = gbk("<<<1号种子引擎已启动,正在加载~\r\n<<<本次共检索到：");
  static const std::string start_results = gbk("条结果，约");
  static const std::string start_pages = gbk("页，耗时！");
  static const std::string limit_line = gbk("<<<已达到搜索上限，请更换搜索关键词！\r\n");

  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const std::string& site = context.addresses.engine_site(kEngine);
  const int rows_per_page = engine_column_set(kEngine).rows_per_page;
  int page = 1;

  // The form answers with a redirect to the search's first result page; the
  // address is read from the raw header block, which the site ends with its
  // Server line.
  std::string headers;
  WebRequest(site, kPost, "keyword=" + url_encode(context.keyword(), false, true), nullptr, nullptr,
             {}, &headers, true);
  const std::string redirect =
      replace_many(text_between(headers, "Location: ", "Server"), -1, 1, false, "\r\n", "");
  const std::string token = text_between(redirect, "/search/", "/1");

  const std::string first_page = WebRequest(redirect);
  if (find_text(first_page, nothing_found) != -1) {
    context.append_log(nothing_line);
    context.enable_search_button();
    return;
  }
  const std::string count_text = text_between(first_page, count_left, count_right);
  const std::string time_text = text_between(first_page, time_left, time_right) + seconds;
  if (count_text.empty()) {
    context.append_log(lost_line);
    context.enable_search_button();
    return;
  }
  const int page_count = page_count_of(count_text, rows_per_page, 1.0);
  context.append_log(start_head + count_text + start_results + number_to_text(page_count) +
                     start_pages + time_text + "\r\n");

  // The pages the loop lists are known now: up to parallel_requests of them
  // are fetched ahead of it, and the loop takes them in order.
  FetchPool pool(parallel_requests(context));
  PagesAhead<PageRows> pages(
      pool, pool.size(), std::min(page_count - 1, kPageLimit), [&](int number) {
        return [address = site + "search/" + token + "/" + number_to_text(number) + "/1/0.html",
                rows_per_page] { return read_result_page(address, rows_per_page); };
      });
  for (int pass = 1; pass <= page_count; ++pass) {
    // The last pass loads nothing: it only reports.
    if (pass == page_count) {
      context.append_log(all_pages_loaded_line(page));
      break;
    }
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    if (pass == kPageLimit + 1) {
      context.append_log(limit_line);
      break;
    }
    context.append_log(page_progress_line(kEngine, pass));
    rows.add_page(pages.take(page), rows_per_page);
    ++page;
  }
  // Every ending of this engine gives the Search button back, including a
  // count below zero that leaves the loop without a pass.
  context.enable_search_button();
}

}  // namespace trovix
