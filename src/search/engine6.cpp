// 网盘引擎2: a cloud-disk share index over HTTPS. The first result page gives
// the hit count; each hit's share address comes from a redirect page of the
// site, and every share is fetched and judged.
#include <cmath>
#include <future>
#include <limits>
#include <optional>
#include <vector>

#include "search/engine_common.h"
#include "search/engine_patterns.h"
#include "search/engines.h"
#include "search/fetch_pool.h"
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

// A result page as read on a fetching thread: title and time of every row,
// and every row's share chain (redirect page, then share page) queued.
struct ResultPage {
  std::vector<std::vector<std::string>> cells;  // title, time
  std::vector<std::future<FoundShare>> shares;
};

FoundShare share_of_hit(const std::string& redirect_address) {
  static const std::string share_left = gbk("打开...</p> <p>");
  static const std::string share_right = "</p></div>";
  return find_and_check_share(WebRequest(redirect_address), share_left, share_right);
}

ResultPage read_result_page(FetchPool& pool, const std::string& address, const std::string& site,
                            int rows_per_page) {
  RegexMatcher files;
  RegexMatcher times;
  const std::string result_page = WebRequest(address);
  files.match(engine6_file_pattern(), result_page);
  times.match(engine6_time_pattern(), result_page);
  // File ids and times are paired by match index only. A row past the page's
  // hits still asks the redirect page for an empty id.
  ResultPage page;
  for (int j = 1; j <= rows_per_page; ++j) {
    page.cells.push_back({files.submatch_text(j, 2), times.submatch_text(j, 1)});
    page.shares.push_back(
        pool.submit([redirect = site + "/redirect/file?id=" + files.submatch_text(j, 1)] {
          return share_of_hit(redirect);
        }));
  }
  return page;
}

}  // namespace

void run_engine6(SearchContext& context) {
  static const std::string start_line = gbk("<<<2号网盘引擎已启动,正在加载~\r\n<<<本次共检索到：");
  static const std::string results_tail = gbk("条结果\r\n");
  static const std::string count_left = gbk("共有<span>");
  static const std::string count_right = gbk("</span>条记录</h2>");

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

  // Up to parallel_requests share chains are in flight; with more than one,
  // the next result page is fetched meanwhile. The keyword box is read for
  // each page as it is queued.
  FetchPool pool(parallel_requests(context));
  auto queue_page = [&](int number) {
    return pool.submit(
        [&pool, address = site + "/share/o1kw" + context.keyword() + "pg" + number_to_text(number),
         &site, rows_per_page = columns.rows_per_page] {
          return read_result_page(pool, address, site, rows_per_page);
        });
  };
  std::optional<std::future<ResultPage>> ahead;

  // The last pass loads nothing, so the hits of the last page are never listed.
  const int page_count = static_cast<int>(std::trunc(hit_count / 10.0 + 1.0));
  for (int pass = 1; pass <= page_count; ++pass) {
    if (pass == page_count) {
      context.append_log(all_pages_loaded_line(page));
      context.enable_search_button();
      return;
    }
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    ResultPage result = (ahead ? std::move(*ahead) : queue_page(page)).get();
    ahead.reset();
    context.append_log(page_progress_line(kEngine, pass));

    if (pass + 1 < page_count && pool.size() > 1) ahead = queue_page(page + 1);
    // Each row is added once its cells are known (see engine 5).
    for (std::size_t j = 0; j < result.shares.size(); ++j) {
      const FoundShare share = result.shares[j].get();
      rows.add_row(
          {result.cells[j][0], result.cells[j][1], share.address, share_state_text(share.state)});
    }
    ++page;
  }
}

}  // namespace trovix
