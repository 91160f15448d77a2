// The self-update with a bare progress bar and labels against the simulator:
// the events, the labels, the stop boxes, and the program on disk replaced
// only after a complete transfer.
#include "app/self_updater.h"

#include <unistd.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app_fixture.h"
#include "app/gui_text.h"
#include "server/download_texts.h"
#include "support/sitesim_process.h"
#include "web/codec.h"

namespace trovix::testing {
namespace {

namespace fs = std::filesystem;

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SelfUpdaterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new SiteSimulator(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("trovix self update " + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(folder_ / "trovix") << "old program";
    std::ofstream(folder_ / "temp.temp") << "leftover";
    bar_.setRange(0, 100);
  }
  void TearDown() override {
    updater_.reset();
    fs::remove_all(folder_);
  }

  SelfUpdater& make(const std::string& query, const std::string& new_name = "Trovix.exe",
                    fs::path program = {}) {
    if (program.empty()) program = folder_ / "trovix";
    updater_ = std::make_unique<SelfUpdater>(
        SelfUpdater::Controls{&bar_, &size_, &progress_, &speed_},
        sim_->http_base() + "/update/trovix_new.exe" + query, new_name, program.string(),
        [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
          messages_.push_back({icon, title, text});
        });
    updater_->set_update_button(&button_);
    updater_->set_history_sink([this](const QString& line) { history_ += line; });
    updater_->set_program_ender([this] { ended_ = true; });
    updater_->set_request_tuning([](DownloadRequest& request) {
      request.connect_timeout_ms = 500;
      request.response_timeout_ms = 500;
      request.stall_timeout_ms = 400;
    });
    return *updater_;
  }
  bool ended_or_stopped(int ms = 10000) {
    return QTest::qWaitFor(
        [this] { return ended_ || updater_->state() == SelfUpdater::State::kStopped; }, ms);
  }

  static SiteSimulator* sim_;
  fs::path folder_;
  QProgressBar bar_;
  QLabel size_{QStringLiteral("文件尺寸")};
  QLabel progress_{QStringLiteral("下载进度")};
  QLabel speed_{QStringLiteral("下载速度")};
  QPushButton button_{QStringLiteral("立即更新")};
  std::unique_ptr<SelfUpdater> updater_;
  std::vector<ShownMessage> messages_;
  QString history_;
  bool ended_ = false;
};
SiteSimulator* SelfUpdaterTest::sim_ = nullptr;

TEST_F(SelfUpdaterTest, CompleteDownloadReplacesTheProgramAndEndsIt) {
  make("").start();
  EXPECT_FALSE(button_.isEnabled());
  ASSERT_TRUE(ended_or_stopped());
  ASSERT_TRUE(ended_);
  EXPECT_EQ(size_.text(), QStringLiteral("文件尺寸：976.5625KB"));
  EXPECT_EQ(progress_.text(), QStringLiteral("下载进度：100%"));
  EXPECT_EQ(bar_.value(), 100);
  EXPECT_TRUE(speed_.text().startsWith(QStringLiteral("下载速度：")));
  EXPECT_TRUE(speed_.text().endsWith(QStringLiteral("kb/秒")));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Information);
  EXPECT_EQ(messages_[0].title, QStringLiteral("温馨提示："));
  EXPECT_EQ(history_,
            from_gbk(download_started_separator() + download_waiting_line() +
                     download_manual_hint_line() + download_complete_line() + replacing_line()));
  EXPECT_FALSE(fs::exists(folder_ / "temp.temp"));
  // The script started before the end does the rest on its own.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !fs::exists(folder_ / "5update.sh"); }, 10000));
  EXPECT_FALSE(fs::exists(folder_ / "trovix"));
  EXPECT_EQ(fs::file_size(folder_ / "Trovix.exe"), 1000000u);
}

TEST_F(SelfUpdaterTest, UnannouncedSizeCompletesToo) {
  make("?size=unknown&bytes=200000", "trovix").start();
  ASSERT_TRUE(ended_or_stopped());
  EXPECT_TRUE(ended_);
  EXPECT_EQ(size_.text(), QStringLiteral("文件尺寸：0KB"));
  EXPECT_EQ(progress_.text(), QStringLiteral("下载进度：100%"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !fs::exists(folder_ / "5update.sh"); }, 10000));
  EXPECT_EQ(fs::file_size(folder_ / "trovix"), 200000u);
}

// A cut-short, stalled or refused transfer stops: nothing ends, the old
// program stays as it was and no download is left to be mistaken for it.
TEST_F(SelfUpdaterTest, FailedTransfersLeaveTheOldProgramAlone) {
  for (const char* query : {"?cut=1", "?stall=1&seconds=20", "?status=404"}) {
    SCOPED_TRACE(query);
    history_.clear();
    make(query).start();
    ASSERT_TRUE(ended_or_stopped());
    EXPECT_FALSE(ended_);
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(button_.isEnabled());
    EXPECT_TRUE(history_.endsWith(from_gbk(download_failed_line())));
    EXPECT_EQ(file_text(folder_ / "trovix"), "old program");
    EXPECT_FALSE(fs::exists(folder_ / "KORVEN7.exe.tmp"));
    EXPECT_FALSE(fs::exists(folder_ / "5update.sh"));
  }
}

TEST_F(SelfUpdaterTest, EmptyAddressStartsNothing) {
  updater_ = std::make_unique<SelfUpdater>(
      SelfUpdater::Controls{&bar_, &size_, &progress_, &speed_}, "", "Trovix.exe",
      (folder_ / "trovix").string(),
      [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        messages_.push_back({icon, title, text});
      });
  updater_->set_update_button(&button_);
  updater_->start();
  ASSERT_TRUE(ended_or_stopped());
  EXPECT_FALSE(button_.isEnabled());
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(size_.text(), QStringLiteral("文件尺寸"));
  EXPECT_EQ(file_text(folder_ / "trovix"), "old program");
}

// Refusals come before anything is downloaded, in a stop box that points to
// the manual download; the button stays usable.
TEST_F(SelfUpdaterTest, UnwritableFolderOrUnsafeNameIsRefusedFirst) {
  struct Case {
    std::string new_name;
    fs::path program;
    std::string message;
  };
  for (const Case& c : {Case{"Trovix.exe", "/proc/1/trovix", folder_not_writable_message()},
                        Case{"../Trovix.exe", folder_ / "trovix", bad_program_name_message()},
                        Case{"a\"b.exe", folder_ / "trovix", bad_program_name_message()}}) {
    SCOPED_TRACE(c.new_name);
    messages_.clear();
    history_.clear();
    button_.setEnabled(true);
    make("", c.new_name, c.program).start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages_.empty(); }, 5000));
    EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages_[0].text, from_gbk(c.message));
    EXPECT_TRUE(messages_[0].text.contains(QStringLiteral("不能更新点我")));
    EXPECT_TRUE(button_.isEnabled());
    EXPECT_TRUE(history_.isEmpty());
    EXPECT_EQ(updater_->state(), SelfUpdater::State::kReady);
    EXPECT_FALSE(updater_->download().running());
  }
  EXPECT_EQ(file_text(folder_ / "trovix"), "old program");
}

// During a transfer the user-interface thread keeps running and the timer
// refreshes the labels; destroying the updater abandons the transfer.
TEST_F(SelfUpdaterTest, ProgressIsShownWhileTheTransferRuns) {
  make("?stall=1&seconds=20").set_request_tuning([](DownloadRequest& request) {
    request.stall_timeout_ms = 20000;
  });
  updater_->start();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return progress_.text() == QStringLiteral("下载进度：50%"); }, 5000));
  EXPECT_EQ(bar_.value(), 50);
  EXPECT_EQ(updater_->state(), SelfUpdater::State::kDownloading);
  updater_.reset();
  EXPECT_FALSE(fs::exists(folder_ / "KORVEN7.exe.tmp"));
  EXPECT_FALSE(ended_);
}

}  // namespace
}  // namespace trovix::testing
