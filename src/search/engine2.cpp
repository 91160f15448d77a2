// 种子引擎2: a torrent index that takes the keyword and the page number in the
// query string.
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

constexpr int kEngine = 2;

std::string clean_title(std::string_view title) {
  return replace_many(title, -1, 1, true, "</span><span class='highlight'>", "",
                      "<span class='highlight'>", "", "</span>", "");
}

PageRows read_result_page(const std::string& address, int rows_per_page) {
  RegexMatcher matcher;
  matcher.match(engine2_result_pattern(), WebRequest(address));
  PageRows rows;
  for (int j = 1; j <= rows_per_page; ++j)
    rows.push_back({clean_title(matcher.submatch_text(j, 1)), matcher.submatch_text(j, 2),
                    matcher.submatch_text(j, 3), matcher.submatch_text(j, 5)});
  return rows;
}

}  // namespace

void run_engine2(SearchContext& context) {
  static const std::string nothing_found = gbk("很抱歉，没有找到有关");
  static const std::string count_left = gbk("共找到");
  static const std::string count_right = gbk("条结果, 用时");
  static const std::string time_right = gbk("秒");
  static const std::string nothing_line = gbk("好像什么都没有找到，换一个搜索引擎试试吧~\r\n");
  static const std::string lost_line = gbk("<<<软件和服务器失联啦，请更换搜索引擎！\r\n");
  static const std::string start_head = gbk("<<<2号种子引擎已启动,正在加载~\r\n<<<本次共检索到：");
  static const std::string start_results = gbk("条结果，约");
  static const std::string start_pages = gbk("页！用时");
  static const std::string start_tail = gbk("秒\r\n");

  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const std::string& site = context.addresses.engine_site(kEngine);
  const int rows_per_page = engine_column_set(kEngine).rows_per_page;
  int page = 1;

  // The keyword box is read again for every page (when the page is queued):
  // a keyword changed during the search changes the later requests.
  auto page_address = [&](int number) {
    return site + "search?keyword=" + url_encode(context.keyword(), true, true) +
           "&p=" + number_to_text(number);
  };

  const std::string first_page = WebRequest(page_address(page));
  if (find_text(first_page, nothing_found) != -1) {
    context.append_log(nothing_line);
    context.enable_search_button();
    return;
  }
  const std::string count_text = text_between(first_page, count_left, count_right);
  const std::string time_text =
      replace_many(text_between(first_page, count_right, time_right), -1, 1, false, " ", "");
  if (count_text.empty()) {
    context.append_log(lost_line);
    return;
  }
  const int page_count = page_count_of(count_text, rows_per_page, 0.0);
  context.append_log(start_head + count_text + start_results + number_to_text(page_count) +
                     start_pages + time_text + start_tail);

  // The pages the loop lists are known now: up to parallel_requests of them
  // are fetched ahead of it, and the loop takes them in order.
  FetchPool pool(parallel_requests(context));
  PagesAhead<PageRows> pages(pool, pool.size(), page_count - 1, [&](int number) {
    return [address = page_address(number), rows_per_page] {
      return read_result_page(address, rows_per_page);
    };
  });
  // A page count of 0 gives no pass at all: nothing more is written.
  for (int pass = 1; pass <= page_count; ++pass) {
    if (pass == page_count) {
      context.append_log(all_pages_loaded_line(page));
      context.enable_search_button();
      return;
    }
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    const PageRows page_rows = pages.take(page);
    context.append_log(page_progress_line(kEngine, pass));
    rows.add_page(page_rows, rows_per_page);
    ++page;
  }
}

}  // namespace trovix
