// 网盘引擎1: a cloud-disk share index whose result titles lead to detail
// pages holding the share address; every hit's share is fetched and judged.
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

constexpr int kEngine = 5;
constexpr int kPageLimit = 10;
constexpr int kPost = 1;

}  // namespace

void run_engine5(SearchContext& context) {
  static const std::string start_line = gbk("<<<1号网盘引擎已启动,正在加载~\r\n");
  static const std::string done_line = gbk("<<<1号网盘加载完成！\r\n");
  static const std::string share_left = "rel=\"noreferrer external nofollow\" href=\"";
  static const std::string share_right = gbk("\" target=\"_blank\">点击下载</a>");

  RegexMatcher matcher;
  insert_engine_columns(context.results, kEngine);
  RowWriter rows(context.results);
  const EngineColumnSet& columns = engine_column_set(kEngine);
  const std::string& site = context.addresses.engine_site(kEngine);
  int page = 1;

  context.append_log(start_line);
  for (int pass = 1; pass <= kPageLimit; ++pass) {
    if (ended_by_pause(context, pages_loaded_line(page - 1))) return;
    // The site takes the keyword into its path as typed; the request routine
    // makes the address safe to send.
    const std::string result_page =
        WebRequest(site + "/zh/" + context.keyword() + "_" + number_to_text(page), kPost);
    matcher.match(engine5_result_pattern(), result_page);
    context.append_log(page_progress_line(kEngine, pass));

    bool ended = false;
    for (int j = 1; j <= columns.rows_per_page; ++j) {
      // The site highlights the keyword in either letter case.
      const std::string title =
          replace_many(matcher.submatch_text(j, 3), -1, 1, false, "<b>", "", "</b>", "");
      // A hit without a title means the site has nothing more; its row keeps
      // only its number.
      if (title.empty()) {
        rows.add_row({title});
        ended = true;
        break;
      }
      // The row is added once its cells are known, so a sort or an export
      // meanwhile never sees a row without its share.
      const std::string detail_page = WebRequest(site + matcher.submatch_text(j, 1), kPost);
      const std::string share_address = text_between(detail_page, share_left, share_right);
      rows.add_row({title, share_address, share_state_text(check_share(share_address))});
    }
    ++page;
    if (ended) {
      context.append_log(done_line);
      return;
    }
  }
}

}  // namespace trovix
