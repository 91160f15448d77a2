// Every engine against every way a site can fail: the whole site stalls,
// cuts its answers, sends 10 MiB, invalid GBK, a redirect loop, 404, 500, an
// empty body or garbage headers. With a one-second time-out from the services
// file, each search ends with one of its own endings, every request ends
// within about one time-out, and the Search button comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "search/engine_common.h"
#include "search/results_list.h"
#include "search/search_controller.h"
#include "search/search_log.h"
#include "search/service_addresses.h"
#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutSeconds = 1;
// A search is paused once it has made this many requests: an engine that
// reads 100 empty pages would otherwise take 100 time-outs.
constexpr int kRequestsBeforePause = 3;

const char* const kModes[] = {"stall", "reset", "big",   "badgbk", "loop",
                              "404",   "500",   "empty", "garbage"};

// The site of `engine` inside the broken site of `mode`, written as the
// engine expects its site (engines 1, 2 and 4 end with "/").
std::string broken_site(const testing::SiteSimulator& sim, int engine, const std::string& mode) {
  const std::string base =
      mode == "garbage" ? "http://127.0.0.1:" + std::to_string(sim.raw_port()) : sim.http_base();
  const bool slash = engine == 1 || engine == 2 || engine == 4;
  return base + "/faulty/" + mode + "/e" + std::to_string(engine) + (slash ? "/" : "");
}

// The texts an engine may end a search with (its last log line).
std::vector<std::string> endings(int engine) {
  std::vector<std::string> lines = {pages_loaded_line(0), pages_loaded_line(1),
                                    pages_loaded_line(2), pages_loaded_line(3)};
  switch (engine) {
    case 1:
      lines.push_back(gbk("<<<软件和服务器失联啦，请重试！\r\n"));
      lines.push_back(gbk("<<<好像什么都没有找到，换一个搜索引擎试试吧~\r\n"));
      break;
    case 2:
      lines.push_back(gbk("好像什么都没有找到，换一个搜索引擎试试吧~\r\n"));
      lines.push_back(gbk("<<<软件和服务器失联啦，请更换搜索引擎！\r\n"));
      break;
    case 3:
      lines.push_back(gbk("<<<本次加载完毕！\r\n"));
      lines.push_back(gbk("<<<加载完成！\r\n"));
      break;
    case 5:
      lines.push_back(gbk("<<<1号网盘加载完成！\r\n"));
      break;
    default:
      break;
  }
  for (int pages = 0; pages <= 3; ++pages) lines.push_back(all_pages_loaded_line(pages));
  for (int pass = 1; pass <= 3; ++pass) lines.push_back(page_progress_line(engine, pass));
  return lines;
}

std::string last_line(const std::string& log) {
  const std::size_t end = log.size() >= 2 ? log.rfind("\r\n", log.size() - 3) : std::string::npos;
  return end == std::string::npos ? log : log.substr(end + 2);
}

class FaultMatrix : public ::testing::TestWithParam<std::tuple<int, const char*>> {
 protected:
  static void SetUpTestSuite() { sim_ = std::make_unique<testing::SiteSimulator>(); }
  static void TearDownTestSuite() { sim_.reset(); }
  static std::unique_ptr<testing::SiteSimulator> sim_;
};
std::unique_ptr<testing::SiteSimulator> FaultMatrix::sim_;

TEST_P(FaultMatrix, EndsWithinATimeOutPerRequestAndGivesTheButtonBack) {
  const auto [engine, mode] = GetParam();
  // The services file: the simulator's, one engine broken, a short time-out.
  std::ifstream in(sim_->services_file(), std::ios::binary);
  const std::string services((std::istreambuf_iterator<char>(in)), {});
  const fs::path file =
      fs::temp_directory_path() / ("trovix-faults-" + std::to_string(engine) + "-" + mode + ".ini");
  std::ofstream(file, std::ios::binary)
      << services << "\n[sites]\nengine" << engine << " = " << broken_site(*sim_, engine, mode)
      << "\n[network]\ntimeout_seconds = " << kTimeoutSeconds << "\n";
  ServiceAddresses addresses = default_service_addresses();
  ASSERT_TRUE(load_service_addresses(file.string(), addresses).empty());
  fs::remove(file);
  set_web_ca_file(addresses.ca_file);

  MemoryResultsList list;
  SearchLog log;
  SearchController controller(list, log, addresses);
  std::atomic<int> enables{0};
  std::mutex seen_mutex;
  std::vector<RequestRecord> requests;
  std::vector<std::string> slow;
  SearchCommandUi ui;
  ui.keyword_box_text = "t3";
  ui.checked_engine = engine;
  ui.hooks.keyword = [] { return std::string("t3"); };
  ui.hooks.enable_search_button = [&] { ++enables; };
  ui.hooks.request_observer = [&](const RequestRecord& record) {
    std::lock_guard lock(seen_mutex);
    requests.push_back(record);
    if (record.elapsed > std::chrono::milliseconds(kTimeoutSeconds * 1000 + 1500))
      slow.push_back(gbk_to_utf8(record.url) + " took " + std::to_string(record.elapsed.count()));
    if (requests.size() == kRequestsBeforePause) controller.pause();
  };
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(search_command(controller, list, log, ui), SearchCommandResult::started);
  controller.wait();
  const auto elapsed = std::chrono::steady_clock::now() - started;

  EXPECT_TRUE(slow.empty()) << slow.front();
  EXPECT_GE(enables, 1);
  EXPECT_FALSE(controller.running());
  const std::vector<std::string> allowed = endings(engine);
  const std::string ending = last_line(log.text());
  EXPECT_NE(std::find(allowed.begin(), allowed.end(), ending), allowed.end())
      << "last line: " << gbk_to_utf8(ending);
  // Whatever the pages held, the rows an engine added are numbered in order.
  for (int row = 0; row < list.row_count(); ++row)
    ASSERT_EQ(list.cell_text(row, 0), std::to_string(row + 1));
  const auto bound = std::chrono::seconds((kTimeoutSeconds + 2) * (kRequestsBeforePause + 7));
  EXPECT_LT(elapsed, bound) << requests.size() << " requests";
}

INSTANTIATE_TEST_SUITE_P(EveryEngineAndFault, FaultMatrix,
                         ::testing::Combine(::testing::Range(1, kEngineCount + 1),
                                            ::testing::ValuesIn(kModes)),
                         [](const ::testing::TestParamInfo<std::tuple<int, const char*>>& info) {
                           return "engine" + std::to_string(std::get<0>(info.param)) + "_" +
                                  std::get<1>(info.param);
                         });

}  // namespace
}  // namespace trovix
