// 种子引擎4: a torrent index paged by keyword and page number, sorted by
// creation time; it has no count and ends with a "Page not found" page.
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

constexpr int kEngine = 4;
constexpr int kPageLimit = 100;

struct ResultPage {
  bool not_found = false;  // the site's end page
  PageRows rows;
};

ResultPage read_result_page(const std::string& address, int rows_per_page) {
  const std::string result_page = WebRequest(address);
  // The phrase anywhere in a page ends the search.
  if (find_text(result_page, "Page not found") != -1) return {true, {}};
  RegexMatcher facts;
  RegexMatcher titles;
  facts.match(engine4_facts_pattern(), result_page);
  titles.match(engine4_title_pattern(), result_page);
  // The two match lists are paired by index only; the title keeps whatever
  // opening markup it has, only closing tags go (in any letter case).
  ResultPage page;
  for (int j = 1; j <= rows_per_page; ++j)
    page.rows.push_back({replace_many(titles.submatch_text(j, 1), -1, 1, false, "</span>", ""),
                         facts.submatch_text(j, 1), facts.submatch_text(j, 2),
                         facts.submatch_text(j, 3), facts.submatch_text(j, 4)});
  return page;
}

}  // namespace

void run_engine4(SearchContext& context) {
  static const std::string start_line = gbk("<<<4号种子引擎已启动,正在加载~\r\n");

  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const std::string& site = context.addresses.engine_site(kEngine);
  const int rows_per_page = engine_column_set(kEngine).rows_per_page;
  int page = 1;

  context.append_log(start_line);
  // The end is known only from the site's end page, so the loop looks ahead
  // by at most parallel_requests - 1 pages; those past the end page are
  // abandoned when it comes.
  FetchPool pool(parallel_requests(context));
  PagesAhead<ResultPage> pages(pool, pool.size(), kPageLimit, [&](int number) {
    // The keyword goes into the path as typed; the request routine makes the
    // address safe to send.
    return [address =
                site + "search/" + context.keyword() + "_ctime_" + number_to_text(number) + ".html",
            rows_per_page] { return read_result_page(address, rows_per_page); };
  });
  for (int pass = 1; pass <= kPageLimit; ++pass) {
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    const ResultPage result = pages.take(page);
    // The line counts the missing page too.
    if (result.not_found) {
      context.append_log(pages_loaded_line(page));
      return;
    }
    rows.add_page(result.rows, rows_per_page);
    context.append_log(page_progress_line(kEngine, pass));
    ++page;
  }
}

}  // namespace trovix
