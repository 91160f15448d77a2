// 网盘引擎1: a cloud-disk share index whose result titles lead to detail
// pages holding the share address; every hit's share is fetched and judged.
#include <future>
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

constexpr int kEngine = 5;
constexpr int kPageLimit = 10;
constexpr int kPost = 1;

// A result page as read on a fetching thread: the titles up to and with the
// first empty one, and for every titled row the share chain (detail page,
// then share page) already queued.
struct ResultPage {
  std::vector<std::string> titles;
  std::vector<std::future<FoundShare>> shares;  // one per non-empty title
};

FoundShare share_of_hit(const std::string& detail_address) {
  static const std::string share_left = "rel=\"noreferrer external nofollow\" href=\"";
  static const std::string share_right = gbk("\" target=\"_blank\">点击下载</a>");
  return find_and_check_share(WebRequest(detail_address, kPost), share_left, share_right);
}

ResultPage read_result_page(FetchPool& pool, const std::string& address, const std::string& site,
                            int rows_per_page) {
  RegexMatcher matcher;
  matcher.match(engine5_result_pattern(), WebRequest(address, kPost));
  ResultPage page;
  for (int j = 1; j <= rows_per_page; ++j) {
    // The site highlights the keyword in either letter case.
    page.titles.push_back(
        replace_many(matcher.submatch_text(j, 3), -1, 1, false, "<b>", "", "</b>", ""));
    // A hit without a title means the site has nothing more: nothing after
    // it is requested.
    if (page.titles.back().empty()) break;
    page.shares.push_back(pool.submit(
        [detail = site + matcher.submatch_text(j, 1)] { return share_of_hit(detail); }));
  }
  return page;
}

}  // namespace

void run_engine5(SearchContext& context) {
  static const std::string start_line = gbk("<<<1号网盘引擎已启动,正在加载~\r\n");
  static const std::string done_line = gbk("<<<1号网盘加载完成！\r\n");

  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const EngineColumnSet& columns = engine_column_set(kEngine);
  const std::string& site = context.addresses.engine_site(kEngine);
  int page = 1;

  // Up to parallel_requests share chains are in flight; with more than one,
  // the next result page is fetched meanwhile once this one proved full.
  FetchPool pool(parallel_requests(context));
  auto queue_page = [&](int number) {
    // The site takes the keyword into its path as typed; the request routine
    // makes the address safe to send.
    return pool.submit([&pool,
                        address = site + "/zh/" + context.keyword() + "_" + number_to_text(number),
                        &site, rows_per_page = columns.rows_per_page] {
      return read_result_page(pool, address, site, rows_per_page);
    });
  };
  std::optional<std::future<ResultPage>> ahead;

  context.append_log(start_line);
  for (int pass = 1; pass <= kPageLimit; ++pass) {
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    ResultPage result = (ahead ? std::move(*ahead) : queue_page(page)).get();
    ahead.reset();
    context.append_log(page_progress_line(kEngine, pass));

    const bool full = static_cast<int>(result.shares.size()) == columns.rows_per_page;
    if (full && pass < kPageLimit && pool.size() > 1) ahead = queue_page(page + 1);
    // Each row is added once its cells are known, so a sort or an export
    // meanwhile never sees a row without its share.
    for (std::size_t j = 0; j < result.shares.size(); ++j) {
      const FoundShare share = result.shares[j].get();
      rows.add_row({result.titles[j], share.address, share_state_text(share.state)});
    }
    ++page;
    if (!full) {
      // The row of the empty title keeps only its number.
      rows.add_row({std::string()});
      context.append_log(done_line);
      return;
    }
  }
}

}  // namespace trovix
