// The download facility against the simulator: the events and what lands on
// disk for complete, unannounced, cut, stalled, refused and stopped transfers.
#include "server/download.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "support/sitesim_process.h"

namespace trovix {
namespace {

namespace fs = std::filesystem;
using testing::SiteSimulator;

struct Seen {
  int event;
  std::int64_t value;
};

class DownloadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new SiteSimulator(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("trovix_download_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    destination_ = (folder_ / "KORVEN7.exe.tmp").string();
  }
  void TearDown() override { fs::remove_all(folder_); }

  DownloadRequest request(const std::string& query) {
    DownloadRequest r = update_download_request(
        sim_->http_base() + "/update/trovix_new.exe" + query, destination_,
        [this](int event, std::int64_t, std::int64_t value, std::int64_t, std::int64_t) {
          std::lock_guard lock(mutex_);
          seen_.push_back({event, value});
          changed_.notify_all();
        });
    r.stall_timeout_ms = 400;
    r.response_timeout_ms = 400;
    r.connect_timeout_ms = 400;
    return r;
  }
  // The events once the transfer has ended (event 4 or 9), in order.
  std::vector<Seen> ending(int ms = 10000) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] {
      return !seen_.empty() && (seen_.back().event == 4 || seen_.back().event == 9);
    });
    return seen_;
  }
  std::vector<Seen> seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

  static SiteSimulator* sim_;
  fs::path folder_;
  std::string destination_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Seen> seen_;
};
SiteSimulator* DownloadTest::sim_ = nullptr;

std::string codes(const std::vector<Seen>& seen) {
  std::string out;
  for (const Seen& s : seen) out += std::to_string(s.event) + " ";
  return out;
}

TEST_F(DownloadTest, AnnouncedSizeStartsWithTheSizeAndCompletesTheFile) {
  Download download;
  ASSERT_TRUE(download.add_request(request("")));
  const auto events = ending();
  ASSERT_EQ(codes(events), "3 4 ");
  EXPECT_EQ(events[0].value, 1000000);
  EXPECT_EQ(download.bytes_done(), 1000000);
  ASSERT_EQ(fs::file_size(destination_), 1000000u);
  std::ifstream file(destination_, std::ios::binary);
  char head[3] = {};
  file.read(head, 3);
  EXPECT_EQ(std::string(head, 3), std::string("MZ") + static_cast<char>(2 * 31 % 251));
}

TEST_F(DownloadTest, UnannouncedSizeStartsWithZeroAndCompletes) {
  Download download;
  ASSERT_TRUE(download.add_request(request("?size=unknown&bytes=300000")));
  const auto events = ending();
  ASSERT_EQ(codes(events), "3 4 ");
  EXPECT_EQ(events[0].value, 0);
  EXPECT_EQ(fs::file_size(destination_), 300000u);
}

TEST_F(DownloadTest, RedirectsAreFollowedToTheFile) {
  Download download;
  DownloadRequest r = request("");
  r.address = sim_->http_base() + "/redirect?to=/update/trovix_new.exe%3Fbytes%3D5000";
  ASSERT_TRUE(download.add_request(r));
  EXPECT_EQ(codes(ending()), "3 4 ");
  EXPECT_EQ(fs::file_size(destination_), 5000u);
}

// Every failed ending is event 9 and leaves no file behind: an old download
// is never mistaken for a complete one.
TEST_F(DownloadTest, EveryFailureStopsWithoutAFile) {
  struct Case {
    std::string query;
    std::string expected;
  };
  for (const Case& c : {Case{"?cut=1", "3 9 "}, Case{"?size=unknown&cut=1", "3 9 "},
                        Case{"?stall=1&seconds=20", "3 9 "}, Case{"?status=404", "9 "},
                        Case{"?status=500", "9 "}, Case{"?bytes=0", "3 9 "}}) {
    SCOPED_TRACE(c.query);
    {
      std::lock_guard lock(mutex_);
      seen_.clear();
    }
    std::ofstream(destination_) << "older download";
    Download download;
    ASSERT_TRUE(download.add_request(request(c.query)));
    EXPECT_EQ(codes(ending()), c.expected);
    EXPECT_FALSE(fs::exists(destination_));
  }
}

TEST_F(DownloadTest, LoopsStallsAndOversizedFilesStop) {
  struct Case {
    std::string address;
    std::int64_t max_bytes;
  };
  const std::string h = sim_->http_base();
  for (const Case& c :
       {Case{h + "/redirect/loop", 1 << 30}, Case{h + "/fault/stall?seconds=20", 1 << 30},
        Case{h + "/update/trovix_new.exe", 999999},
        Case{h + "/update/trovix_new.exe?size=unknown", 999999}}) {
    SCOPED_TRACE(c.address);
    {
      std::lock_guard lock(mutex_);
      seen_.clear();
    }
    Download download;
    DownloadRequest r = request("");
    r.address = c.address;
    r.max_bytes = c.max_bytes;
    ASSERT_TRUE(download.add_request(r));
    const auto events = ending();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().event, 9);
    EXPECT_FALSE(fs::exists(destination_));
  }
}

TEST_F(DownloadTest, FiftyMegabytesArriveWhole) {
  Download download;
  ASSERT_TRUE(download.add_request(request("?bytes=52428800")));
  EXPECT_EQ(codes(ending(30000)), "3 4 ");
  EXPECT_EQ(fs::file_size(destination_), 52428800u);
}

TEST_F(DownloadTest, UnusableAddressesStartNothing) {
  Download download;
  for (const char* address : {"", "not a url", "ftp://127.0.0.1/file", "file:///etc/passwd",
                              "http://", "/update/trovix_new.exe"}) {
    DownloadRequest r = request("");
    r.address = address;
    EXPECT_FALSE(download.add_request(r)) << address;
  }
  EXPECT_TRUE(seen().empty());
}

TEST_F(DownloadTest, StopAbandonsTheTransferAtOnceAndSendsNothingMore) {
  Download download;
  ASSERT_TRUE(download.add_request(request("?stall=1&seconds=20")));
  // A second request while one runs is refused.
  EXPECT_FALSE(download.add_request(request("")));
  for (int i = 0; i < 200 && seen().empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto before = std::chrono::steady_clock::now();
  download.stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(300));
  EXPECT_EQ(codes(seen()), "3 ");
  EXPECT_FALSE(download.running());
  EXPECT_FALSE(fs::exists(destination_));
}

}  // namespace
}  // namespace trovix
