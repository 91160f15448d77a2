// The self-update plugged into the update window: "立即更新" on an offered
// update downloads into the program's folder with the window's own progress
// area and history box, and a folder that cannot be written is refused.
#include "app/self_update_wiring.h"

#include <unistd.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/server_fixture.h"
#include "app/update_window.h"

namespace trovix::testing {
namespace {

namespace fs = std::filesystem;

class SelfUpdateWiringTest : public ServerWindowTest {
 protected:
  UpdateWindow& open_offer() {
    make_window("/qnvt/qnvt.html?version=1.2.0");
    values_ = std::make_shared<ServerValues>();
    update_ = std::make_unique<UpdateWindow>(values_, window_->addresses(), window_.get());
    update_->set_popup_opener([](const PopupParameters&) {});
    update_->start();
    EXPECT_TRUE(
        wait_until([this] { return update_->state() == UpdateWindow::State::update_available; }));
    return *update_;
  }
  void TearDown() override {
    update_.reset();
    ServerWindowTest::TearDown();
  }
  std::shared_ptr<ServerValues> values_;
  std::unique_ptr<UpdateWindow> update_;
};

TEST_F(SelfUpdateWiringTest, UpdateButtonDownloadsAndReplacesTheProgram) {
  const fs::path folder = temp_ / "program folder";
  fs::create_directories(folder);
  std::ofstream(folder / "trovix") << "old program";
  UpdateWindow& update = open_offer();
  bool ended = false;
  attach_self_update(
      update, (folder / "trovix").string(),
      [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        messages_.push_back({icon, title, text});
      },
      [&ended] { ended = true; });
  update.update_button()->click();
  EXPECT_FALSE(update.update_button()->isEnabled());
  ASSERT_TRUE(wait_until([&] { return ended; }));
  EXPECT_EQ(update.size_label()->text(), QStringLiteral("文件尺寸：976.5625KB"));
  EXPECT_EQ(update.progress_bar()->value(), 100);
  EXPECT_TRUE(update.history_box()->toPlainText().endsWith(
      QStringLiteral("下载完成正在替换新版本内容！\n正在替换新版本内容...\n")));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].title, QStringLiteral("温馨提示："));
  ASSERT_TRUE(wait_until([&] { return !fs::exists(folder / "5update.sh"); }));
  EXPECT_EQ(fs::file_size(folder / "Trovix.exe"), 1000000u);
  EXPECT_FALSE(fs::exists(folder / "trovix"));
}

TEST_F(SelfUpdateWiringTest, UnwritableFolderIsReportedAndNothingDownloaded) {
  UpdateWindow& update = open_offer();
  attach_self_update(update, "/proc/1/trovix",
                     [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
                       messages_.push_back({icon, title, text});
                     });
  const QString history = update.history_box()->toPlainText();
  update.update_button()->click();
  ASSERT_TRUE(wait_until([&] { return !messages_.empty(); }));
  EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(messages_[0].text.contains(QStringLiteral("不能更新点我")));
  EXPECT_TRUE(update.update_button()->isEnabled());
  EXPECT_EQ(update.history_box()->toPlainText(), history);
}

}  // namespace
}  // namespace trovix::testing
