#include "search/engines.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "search/search_context.h"
#include "web/codec.h"

namespace trovix {

namespace {

constexpr int kTestPages = 5;
constexpr int kTestRowsPerPage = 20;
constexpr long kTestMaxDelayMs = 10'000;

// The digits of the keyword, read as one number, are the time each page takes
// in milliseconds ("slow 200" waits 200 ms per page; no digits, no wait), so
// tests and benchmarks can pause or supersede a search halfway. Capped so an
// absurd keyword cannot hang a search.
long page_delay_ms(const std::string& keyword) {
  long delay = 0;
  for (const char c : keyword) {
    if (c < '0' || c > '9') continue;
    delay = delay * 10 + (c - '0');
    if (delay > kTestMaxDelayMs) return kTestMaxDelayMs;
  }
  return delay;
}

// Waits like a page fetch would, but gives up at once when the stop token is
// raised: the page still completes, the stop takes effect at the next pass.
void wait_for_page(long delay_ms, std::stop_token stop) {
  if (delay_ms <= 0) return;
  std::mutex mutex;
  std::condition_variable_any never_notified;
  std::unique_lock lock(mutex);
  never_notified.wait_for(lock, stop, std::chrono::milliseconds(delay_ms), [] { return false; });
}

}  // namespace

// Engine 0: the page loop of a real engine without the network. Its rows and
// lines follow the same conventions, so the window, the command line and the
// tests can exercise a whole search offline.
void run_test_engine(SearchContext& context) {
  static const std::string id_title = "ID";
  static const std::string title_title = gbk("标题（右击下载）");
  static const std::string progress = gbk("<<<测试引擎正在加载");
  static const std::string page_suffix = gbk("页内容\r\n");
  static const std::string stopped = gbk("<<<本次加载完毕，共加载");
  static const std::string all_loaded = gbk("<<<本次搜索内容全部加载完毕，共加载");
  static const std::string row_title = gbk("测试结果 ");

  const long delay_ms = page_delay_ms(context.keyword());
  ResultsList& list = context.results;
  list.delete_all_rows();
  list.insert_column(0, id_title, 30);
  list.insert_column(1, title_title, 350);

  int row_number = 1;
  int page = 1;
  for (; page <= kTestPages; ++page) {
    if (context.stop_requested()) {
      context.append_log(stopped + std::to_string(page - 1) + page_suffix);
      return;
    }
    context.append_log(progress + std::to_string(page) + page_suffix);
    wait_for_page(delay_ms, context.stop);
    for (int j = 0; j < kTestRowsPerPage; ++j, ++row_number) {
      const std::string number = std::to_string(row_number);
      list.append_row({number, row_title + number});
    }
  }
  context.append_log(all_loaded + std::to_string(page - 1) + page_suffix);
}

}  // namespace trovix
