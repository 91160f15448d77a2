// 种子引擎4: a torrent index paged by keyword and page number, sorted by
// creation time; it has no count and ends with a "Page not found" page.
#include "search/engine_common.h"
#include "search/engine_patterns.h"
#include "search/engines.h"
#include "web/codec.h"
#include "web/regex_matcher.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace trovix {

namespace {

constexpr int kEngine = 4;
constexpr int kPageLimit = 100;

}  // namespace

void run_engine4(SearchContext& context) {
  static const std::string start_line = gbk("<<<4号种子引擎已启动,正在加载~\r\n");

  RegexMatcher facts;
  RegexMatcher titles;
  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const std::string& site = context.addresses.engine_site(kEngine);
  const int rows_per_page = engine_column_set(kEngine).rows_per_page;
  int page = 1;

  context.append_log(start_line);
  for (int pass = 1; pass <= kPageLimit; ++pass) {
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    // The keyword goes into the path as typed; the request routine makes the
    // address safe to send.
    const std::string result_page = WebRequest(site + "search/" + context.keyword() + "_ctime_" +
                                               number_to_text(page) + ".html");
    // The site's end page; the phrase anywhere in a page ends the search, and
    // the line counts the missing page too.
    if (find_text(result_page, "Page not found") != -1) {
      context.append_log(pages_loaded_line(page));
      return;
    }
    facts.match(engine4_facts_pattern(), result_page);
    titles.match(engine4_title_pattern(), result_page);
    // The two match lists are paired by index only; the title keeps whatever
    // opening markup it has, only closing tags go (in any letter case).
    rows.add_page(rows_per_page, [&](int j) -> std::vector<std::string> {
      return {replace_many(titles.submatch_text(j, 1), -1, 1, false, "</span>", ""),
              facts.submatch_text(j, 1), facts.submatch_text(j, 2), facts.submatch_text(j, 3),
              facts.submatch_text(j, 4)};
    });
    context.append_log(page_progress_line(kEngine, pass));
    ++page;
  }
}

}  // namespace trovix
