// 网盘引擎2: a cloud-disk share index over HTTPS. The first result page gives
// the hit count; each hit's share address comes from a redirect page of the
// site, and every share is fetched and judged.
#include <cmath>
#include <limits>

#include "search/engine_common.h"
#include "search/engine_patterns.h"
#include "search/engines.h"
#include "search/share_check.h"
#include "web/codec.h"
#include "web/regex_matcher.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace trovix {

namespace {

constexpr int kEngine = 6;

// The count as the site writes it, cut toward zero. Only the leading number
// counts, so "1,234" reads as 1. A count beyond the integer range is held at
// its edge instead of overflowing.
int hit_count_of(std::string_view count_text) {
  const double count = std::trunc(to_number(count_text));
  if (std::isnan(count)) return 0;
  if (count >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (count <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(count);
}

}  // namespace

void run_engine6(SearchContext& context) {
  static const std::string start_line = gbk("<<<2号网盘引擎已启动,正在加载~\r\n<<<本次共检索到：");
  static const std::string results_tail = gbk("条结果\r\n");
  static const std::string count_left = gbk("共有<span>");
  static const std::string count_right = gbk("</span>条记录</h2>");
  static const std::string share_left = gbk("打开...</p> <p>");
  static const std::string share_right = "</p></div>";

  RegexMatcher files;
  RegexMatcher times;
  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const EngineColumnSet& columns = engine_column_set(kEngine);
  const std::string& site = context.addresses.engine_site(kEngine);
  int page = 1;

  // The first result page serves only for the count.
  const std::string first_page =
      WebRequest(site + "/share/o1kw" + context.keyword() + "pg" + number_to_text(page));
  const int hit_count = hit_count_of(text_between(first_page, count_left, count_right));
  context.append_log(start_line + number_to_text(hit_count) + results_tail);

  // The last pass loads nothing, so the hits of the last page are never listed.
  const int page_count = static_cast<int>(std::trunc(hit_count / 10.0 + 1.0));
  for (int pass = 1; pass <= page_count; ++pass) {
    if (pass == page_count) {
      context.append_log(all_pages_loaded_line(page));
      context.enable_search_button();
      return;
    }
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    const std::string result_page =
        WebRequest(site + "/share/o1kw" + context.keyword() + "pg" + number_to_text(page));
    files.match(engine6_file_pattern(), result_page);
    times.match(engine6_time_pattern(), result_page);
    context.append_log(page_progress_line(kEngine, pass));

    // File ids and times are paired by match index only. A row past the
    // page's hits still asks the redirect page for an empty id.
    for (int j = 1; j <= columns.rows_per_page; ++j) {
      // The row is added once its cells are known (see engine 5).
      const std::string redirect_page =
          WebRequest(site + "/redirect/file?id=" + files.submatch_text(j, 1));
      const std::string share_address = text_between(redirect_page, share_left, share_right);
      rows.add_row({files.submatch_text(j, 2), times.submatch_text(j, 1), share_address,
                    share_state_text(check_share(share_address))});
    }
    ++page;
  }
}

}  // namespace trovix
