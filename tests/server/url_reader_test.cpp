// The URL reader and the connectivity check against the site simulator.
#include "server/url_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

#include "server/info_page.h"
#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {
namespace {

class UrlReaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new testing::SiteSimulator(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  static std::string http(std::string_view path) { return sim_->http_base() + std::string(path); }
  static testing::SiteSimulator* sim_;
};

testing::SiteSimulator* UrlReaderTest::sim_ = nullptr;

TEST_F(UrlReaderTest, ReadsTheBodyAndAsksPastEveryCache) {
  const std::string echo = read_url(http("/echo"));
  EXPECT_NE(echo.find("HEADER Cache-Control: no-cache"), std::string::npos) << echo;
  EXPECT_NE(echo.find("HEADER Pragma: no-cache"), std::string::npos) << echo;
  EXPECT_NE(echo.find("METHOD GET"), std::string::npos);

  const InfoPage info = read_info_page(read_url(http("/qnvt/qnvt.html")));
  EXPECT_EQ(info.newest_version, "1.1.5");
  EXPECT_EQ(info.values.new_program_file, "Trovix.exe");
  EXPECT_EQ(info.history.size(), 2u);
}

TEST_F(UrlReaderTest, FailuresGiveNothing) {
  struct Case {
    const char* path;
    std::string expected;
  };
  const Case cases[] = {
      {"/scenario/unreadable/qnvt/qnvt.html", ""},  // 500
      {"/status/404", ""},
      {"/scenario/empty/qnvt/qnvt.html", ""},
      {"/scenario/reset/qnvt/qnvt.html", ""},  // cut mid-body
      {"/page/zero", "before"},                // up to the zero byte
      // Bytes as they came, without any charset conversion.
      {"/fault/invalid-gbk",
       "<html><head><meta charset=gbk></head><body>\x81\x20\xff\xff"
       "abc\xd6"},
  };
  for (const Case& c : cases) EXPECT_EQ(read_url(http(c.path)), c.expected) << c.path;
  EXPECT_EQ(read_url("http://127.0.0.1:9/nothing"), "");
  EXPECT_EQ(read_url("not a url"), "");
}

TEST_F(UrlReaderTest, ASilentServerEndsInNothingAfterTheTimeout) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(read_url(http("/scenario/stall/qnvt/qnvt.html"), 1), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(UrlReaderTest, AStopAbandonsThePendingRead) {
  std::stop_source stop;
  std::string result = "unset";
  std::thread reader([&] {
    ScopedRequestCancel cancel(stop.get_token());
    result = read_url(http("/scenario/stall/qnvt/qnvt.html"));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = std::chrono::steady_clock::now();
  stop.request_stop();
  reader.join();
  EXPECT_EQ(result, "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(UrlReaderTest, ConnectivityMeansA2xxOr3xxAnswer) {
  EXPECT_TRUE(connectivity_check(http("/connectivity")));
  EXPECT_TRUE(connectivity_check(http("/connectivity/redirect")));
  EXPECT_FALSE(connectivity_check(http("/connectivity/offline")));
  EXPECT_FALSE(connectivity_check("http://127.0.0.1:9/"));
  EXPECT_FALSE(connectivity_check(""));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(connectivity_check(http("/fault/stall?seconds=10"), 1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace trovix
