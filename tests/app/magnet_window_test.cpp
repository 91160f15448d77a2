// The magnet-link window against the site simulator, and the download-tool
// tip window against real processes.
#include "app/magnet_window.h"

#include <signal.h>
#include <sys/wait.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/app_fixture.h"
#include "app/download_tool_tip.h"
#include "app/result_actions.h"
#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix::testing {
namespace {

const QString kExtracting = QStringLiteral("正在提取磁力链接中，请稍后...");
const QString kFailed = QStringLiteral("链接提取失败请重试！");

class MagnetWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sim_ = new SiteSimulator();
    set_web_ca_file(sim_->ca_file());
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override {
    hooks_.message = [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
      messages_.push_back({icon, title, text});
    };
    hooks_.set_clipboard = [this](const QString& text) {
      clipboard_ = text;
      return true;
    };
    hooks_.open_address = [this](const QString& address) { opened_.push_back(address); };
    hooks_.run_tip_window = [this](QWidget*) { ++tips_; };
  }
  static std::string address(const std::string& path) { return sim_->http_base() + path; }
  bool wait_for(MagnetWindow& window) {
    return QTest::qWaitFor([&] { return window.state() != MagnetWindow::State::extracting; },
                           10000);
  }

  static SiteSimulator* sim_;
  DesktopHooks hooks_;
  std::vector<ShownMessage> messages_;
  std::vector<QString> opened_;
  QString clipboard_;
  int tips_ = 0;
};
SiteSimulator* MagnetWindowTest::sim_ = nullptr;

TEST_F(MagnetWindowTest, FormAndFoundLink) {
  MagnetWindow window(address("/e3/wiki/abc.html"), hooks_);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("打开磁力链接需先安装迅雷软件！"));
  EXPECT_EQ(window.size(), QSize(639, 80));
  struct Expected {
    const char* name;
    QRect place;
    const char* text;
  };
  const Expected expected[] = {{"透明标签1", {2, 6, 70, 40}, "磁力链接"},
                               {"按钮1", {296, 8, 80, 40}, "重试"},
                               {"按钮2", {391, 8, 72, 40}, "复制磁力"},
                               {"按钮3", {476, 8, 72, 40}, "打开磁力"},
                               {"按钮4", {560, 8, 72, 40}, "关闭窗口"}};
  for (const Expected& e : expected) {
    auto* widget = window.findChild<QWidget*>(QString::fromUtf8(e.name));
    ASSERT_NE(widget, nullptr) << e.name;
    EXPECT_EQ(widget->geometry(), e.place) << e.name;
    const QString text = qobject_cast<QLabel*>(widget) ? qobject_cast<QLabel*>(widget)->text()
                                                       : qobject_cast<QPushButton*>(widget)->text();
    EXPECT_EQ(text, QString::fromUtf8(e.text));
  }
  EXPECT_EQ(window.link_box()->geometry(), QRect(69, 8, 304, 40));
  EXPECT_EQ(window.link_box()->text(), kExtracting);
  window.show();
  ASSERT_TRUE(wait_for(window));
  EXPECT_EQ(window.state(), MagnetWindow::State::found);
  EXPECT_EQ(window.link_box()->text(), QStringLiteral("magnet:?xt=urn:btih:0123"));
  EXPECT_FALSE(window.retry_button()->isVisible());

  window.open_button()->click();
  EXPECT_EQ(opened_, std::vector<QString>{QStringLiteral("magnet:?xt=urn:btih:0123")});
  EXPECT_EQ(tips_, 1);
  window.copy_button()->click();
  EXPECT_EQ(clipboard_, QStringLiteral("magnet:?xt=urn:btih:0123"));
  window.close_button()->click();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MagnetWindowTest, FailuresShowRetryWhichFetchesTheSameAddressAgain) {
  // No panel, 10 MB without markers, nothing listening, no row selected.
  for (const std::string& link : {address("/e3/wiki/nopanel-00ff.html"), address("/fault/big"),
                                  std::string("http://127.0.0.1:9/x.html"), std::string()}) {
    MagnetWindow window(link, hooks_);
    window.show();
    ASSERT_TRUE(wait_for(window)) << link;
    EXPECT_EQ(window.state(), MagnetWindow::State::failed);
    EXPECT_EQ(window.link_box()->text(), kFailed);
    EXPECT_TRUE(window.retry_button()->isVisible());
  }
  MagnetWindow window(address("/e3/wiki/nopanel-00ff.html"), hooks_);
  window.show();
  ASSERT_TRUE(wait_for(window));
  window.retry_button()->click();
  EXPECT_EQ(window.link_box()->text(), kExtracting);
  EXPECT_FALSE(window.retry_button()->isVisible());
  ASSERT_TRUE(wait_for(window));
  EXPECT_EQ(window.link_box()->text(), kFailed);

  // Open after a failure hands the failure text over and still checks for a tool.
  window.open_button()->click();
  EXPECT_EQ(opened_, std::vector<QString>{kFailed});
  EXPECT_EQ(tips_, 1);
}

TEST_F(MagnetWindowTest, BigPageStillGivesItsLink) {
  MagnetWindow window(address("/e3/wiki/big-77aa.html"), hooks_);
  ASSERT_TRUE(wait_for(window));
  EXPECT_EQ(window.link_box()->text(), QStringLiteral("magnet:?xt=urn:btih:77aa"));
}

TEST_F(MagnetWindowTest, DuringAnExtractionCopyCopiesTheWaitTextAndCloseIsRefused) {
  MagnetWindow window(address("/fault/stall?seconds=10"), hooks_);
  window.show();
  window.copy_button()->click();
  EXPECT_EQ(clipboard_, kExtracting);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, QStringLiteral("下载链接已复制到剪辑版！"));
  EXPECT_EQ(messages_[0].title, QStringLiteral("信息："));

  window.close_button()->click();
  EXPECT_TRUE(window.isVisible());
  window.close();  // the close box
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());

  hooks_.set_clipboard = [](const QString&) { return false; };
  MagnetWindow failing(address("/e3/wiki/abc.html"), hooks_);
  failing.copy_button()->click();
  EXPECT_EQ(messages_.back().icon, QMessageBox::Critical);
  EXPECT_EQ(messages_.back().text, QStringLiteral("下载链接复制失败，请重试！"));
}

TEST_F(MagnetWindowTest, DestroyedDuringAStalledFetchEndsAtOnceAndDropsTheResult) {
  const auto began = std::chrono::steady_clock::now();
  {
    MagnetWindow window(address("/fault/stall?seconds=10"), hooks_);
    window.show();
    QTest::qWait(100);
  }
  QTest::qWait(50);  // a late delivery would reach a destroyed window here
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3));
}

TEST_F(MagnetWindowTest, OpenTorrentTakesColumn5OfTheSelectedRow) {
  const auto temp = std::filesystem::temp_directory_path() / "trovix_open_torrent";
  MainWindow main_window(test_addresses(temp));
  main_window.set_message_sink([](QMessageBox::Icon, const QString&, const QString&) {});
  MemoryResultsList& list = main_window.results();
  for (int c = 0; c < 6; ++c) list.insert_column(c, "c", 50);
  list.append_row({"1", "t", "", "", "", address("/e3/wiki/abc.html")});
  list.select_row(0);
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* magnet = main_window.findChild<MagnetWindow*>();
    ASSERT_NE(magnet, nullptr);
    EXPECT_TRUE(magnet->isModal());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return magnet->state() != MagnetWindow::State::extracting; }, 10000));
    shown = magnet->link_box()->text();
    magnet->close_button()->click();
  });
  main_window.result_actions()->open_torrent();
  EXPECT_EQ(shown, QStringLiteral("magnet:?xt=urn:btih:0123"));
}

// A copy of sleep under `name`, running until the object goes away.
class NamedProcess {
 public:
  NamedProcess(const std::filesystem::path& folder, const std::string& name) {
    path_ = folder / name;
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file("/bin/sleep", path_,
                               std::filesystem::copy_options::overwrite_existing);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::execl(path_.c_str(), path_.c_str(), "30", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 200; ++i) {
      std::error_code error;
      if (std::filesystem::read_symlink("/proc/" + std::to_string(pid_) + "/exe", error) == path_)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ~NamedProcess() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    std::filesystem::remove(path_);
  }

 private:
  std::filesystem::path path_;
  pid_t pid_ = -1;
};

class DownloadToolTipTest : public ::testing::Test {
 protected:
  std::vector<QString> opened_;
  DesktopHooks hooks() {
    DesktopHooks h;
    h.open_address = [this](const QString& address) { opened_.push_back(address); };
    return h;
  }
  const std::string tool_ = "TrovixTipTool" + std::to_string(::getpid() % 100);
};

TEST_F(DownloadToolTipTest, FormAndInstallerButtons) {
  DownloadToolTip tip({"Thunder.exe"}, "http://127.0.0.1:9/thunder7/Thunder_dl_7.9.44.5056.exe",
                      "http://127.0.0.1:9/invc/cyclone/QQDownload_Setup_48_773_400.exe", hooks());
  EXPECT_EQ(tip.windowTitle(), QStringLiteral("温馨提示："));
  EXPECT_EQ(tip.size(), QSize(453, 88));
  EXPECT_EQ(tip.message()->geometry(), QRect(6, 3, 208, 58));
  EXPECT_EQ(tip.message()->text(), QStringLiteral("下载资源需迅雷等磁力下载工具"));
  EXPECT_EQ(tip.thunder_button()->geometry(), QRect(226, 13, 94, 40));
  EXPECT_EQ(tip.thunder_button()->text(), QStringLiteral("下载迅雷"));
  EXPECT_EQ(tip.xuanfeng_button()->geometry(), QRect(336, 13, 94, 40));
  EXPECT_EQ(tip.xuanfeng_button()->text(), QStringLiteral("下载QQ旋风"));
  tip.show();
  tip.thunder_button()->click();
  tip.xuanfeng_button()->click();
  EXPECT_TRUE(tip.isVisible()) << "the window stays open after a button";
  EXPECT_EQ(
      opened_,
      (std::vector<QString>{
          QStringLiteral("http://127.0.0.1:9/thunder7/Thunder_dl_7.9.44.5056.exe"),
          QStringLiteral("http://127.0.0.1:9/invc/cyclone/QQDownload_Setup_48_773_400.exe")}));
}

TEST_F(DownloadToolTipTest, ClosesItselfAboutThreeSecondsAfterOpeningWhenAToolRuns) {
  const auto folder = std::filesystem::temp_directory_path() / ("trovix_tip_" + tool_);
  NamedProcess running(folder, tool_);
  std::string lower = tool_;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  DownloadToolTip tip({"Thunder.exe", lower}, "", "", hooks());
  const auto opened = std::chrono::steady_clock::now();
  tip.open();
  QTest::qWait(2500);
  EXPECT_TRUE(tip.isVisible()) << "still waiting";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !tip.isVisible(); }, 3000));
  const auto waited = std::chrono::steady_clock::now() - opened;
  EXPECT_GE(waited, std::chrono::milliseconds(3000));
  EXPECT_EQ(tip.result(), QDialog::Accepted);
  std::filesystem::remove_all(folder);
}

TEST_F(DownloadToolTipTest, StaysOpenWithoutATool) {
  DownloadToolTip tip({"Thunder.exe", tool_ + "-absent"}, "", "", hooks(), nullptr, 50);
  bool checked = false;
  bool found = true;
  QObject::connect(&tip, &DownloadToolTip::checked, [&](bool f) {
    checked = true;
    found = f;
  });
  tip.open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return checked; }, 5000));
  EXPECT_FALSE(found);
  QTest::qWait(20);
  EXPECT_TRUE(tip.isVisible());
}

}  // namespace
}  // namespace trovix::testing
