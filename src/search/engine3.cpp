// 种子引擎3: a torrent index whose result pages write each title with a small
// script and link every hit to a detail page (read later for its magnet link).
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

constexpr int kEngine = 3;

// The title statement passes quoted pieces of percent escapes of the title's
// UTF-8 bytes, joined by "+", to decodeURIComponent; the keyword is marked
// with <b> inside the escapes.
std::string decode_title(std::string_view statement) {
  std::string text = text_between(statement, "document.write(decodeURIComponent(", "))");
  text = replace_many(text, -1, 1, false, "\"", "", "+", "");
  text = url_decode(text, true);
  return replace_many(text, -1, 1, false, "<b>", "", "</b>", "");
}

// The two match lists are paired by index only.
PageRows read_result_page(const std::string& address, const std::string& site, int rows_per_page) {
  RegexMatcher links;
  RegexMatcher facts;
  const std::string result_page = WebRequest(address);
  links.match(engine3_link_pattern(), result_page);
  facts.match(engine3_facts_pattern(), result_page);
  PageRows rows;
  for (int j = 1; j <= rows_per_page; ++j)
    rows.push_back({decode_title(links.submatch_text(j, 2)), facts.submatch_text(j, 2),
                    facts.submatch_text(j, 3), facts.submatch_text(j, 4),
                    site + links.submatch_text(j, 1)});
  return rows;
}

}  // namespace

void run_engine3(SearchContext& context) {
  static const std::string start_head = gbk("<<<3号种子引擎已启动,正在加载~\r\n<<<本次共检索到：");
  static const std::string start_results = gbk("条结果，约");
  static const std::string start_pages = gbk("页！用时");
  static const std::string stop_line = gbk("<<<本次加载完毕！\r\n");
  static const std::string done_line = gbk("<<<加载完成！\r\n");

  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const std::string& site = context.addresses.engine_site(kEngine);
  const int rows_per_page = engine_column_set(kEngine).rows_per_page;
  int page = 1;

  // The keyword goes into the path as typed; the request routine makes the
  // address safe to send.
  const std::string first_page = WebRequest(site + "/search/" + context.keyword() + "/1-1.html");
  const std::string count_text = text_between(first_page, "<span>About ", "results in ");
  const std::string time_text = text_between(first_page, "results in ", "milliseconds");
  const int page_count = page_count_of(count_text, rows_per_page, 1.0);
  context.append_log(start_head + count_text + start_results + number_to_text(page_count) +
                     start_pages + time_text + "\r\n");

  // Every pass loads a page, the last one included; the first result page is
  // loaded again as page 1.
  // Up to parallel_requests pages are fetched ahead of the loop, the keyword
  // box read for each as it is queued. Pages queued past one that ends the
  // list unexpectedly are abandoned with the search.
  FetchPool pool(parallel_requests(context));
  PagesAhead<PageRows> pages(pool, pool.size(), page_count, [&](int number) {
    return
        [address = site + "/search/" + context.keyword() + "/" + number_to_text(number) + "-1.html",
         &site, rows_per_page] { return read_result_page(address, site, rows_per_page); };
  });
  for (int pass = 1; pass <= page_count; ++pass) {
    if (ended_by_pause(context, stop_line)) return;
    const bool page_full =
        rows.add_page(pages.take(page), rows_per_page, RowWriter::EmptyTitle::stop);
    if (!page_full) {
      // A row without a title means the site has nothing more.
      context.append_log(done_line);
      return;
    }
    context.append_log(page_progress_line(kEngine, pass));
    ++page;
  }
}

}  // namespace trovix
