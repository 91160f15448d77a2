// The update window against the simulator's information page: up to date,
// update available, unreadable pages and no connection.
#include "app/update_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "app/server_fixture.h"
#include "app/server_round_trip.h"
#include "web/codec.h"

namespace trovix::testing {
namespace {

class UpdateWindowTest : public ServerWindowTest {
 protected:
  // Opens the update window on `info_path` and waits for the check to end.
  UpdateWindow& open(std::string_view info_path, std::string_view connectivity = "/connectivity") {
    update_.reset();  // a child of the main window that make_window replaces
    make_window(info_path, connectivity);
    values_ = std::make_shared<ServerValues>();
    update_ = std::make_unique<UpdateWindow>(values_, window_->addresses(), window_.get());
    update_->set_popup_opener([this](const PopupParameters& p) { popups_.push_back(p); });
    update_->start();
    EXPECT_TRUE(wait_until([this] { return update_->state() != UpdateWindow::State::checking; }));
    return *update_;
  }

  void TearDown() override {
    update_.reset();
    ServerWindowTest::TearDown();
  }

  std::shared_ptr<ServerValues> values_;
  std::unique_ptr<UpdateWindow> update_;
  std::vector<PopupParameters> popups_;
};

TEST_F(UpdateWindowTest, StartsWithTheFormsControlsAndTheProgressAreaHidden) {
  make_window("/scenario/stall/qnvt/qnvt.html");
  UpdateWindow update(nullptr, window_->addresses(), window_.get());
  EXPECT_EQ(update.windowTitle(), QStringLiteral("更新检测系统"));
  EXPECT_EQ(update.current_version_box()->text(), QStringLiteral("1.1.5"));
  EXPECT_EQ(update.current_version_box()->geometry(), QRect(80, 8, 72, 32));
  EXPECT_EQ(update.newest_version_box()->text(), QString());
  EXPECT_EQ(update.history_caption()->text(), QStringLiteral("历史更新内容："));
  EXPECT_EQ(update.update_button()->text(), QStringLiteral("立即更新"));
  EXPECT_EQ(update.manual_button()->text(), QStringLiteral("不能更新点我"));
  EXPECT_EQ(update.progress_bar()->geometry(), QRect(0, 263, 360, 24));
  EXPECT_EQ(update.size_label()->text(), QStringLiteral("文件尺寸"));
  EXPECT_EQ(update.progress_label()->text(), QStringLiteral("下载进度"));
  EXPECT_EQ(update.speed_label()->text(), QStringLiteral("下载速度"));
  for (QWidget* hidden :
       {static_cast<QWidget*>(update.progress_bar()), static_cast<QWidget*>(update.size_label()),
        static_cast<QWidget*>(update.progress_label()),
        static_cast<QWidget*>(update.speed_label())}) {
    EXPECT_TRUE(hidden->isHidden());
  }
  // The boxes stay empty while the page is read; closing then ends nothing.
  update.start();
  EXPECT_EQ(update.state(), UpdateWindow::State::checking);
  EXPECT_EQ(update.newest_version_box()->text(), QString());
  EXPECT_FALSE(update.update_button()->isEnabled());
  update.reject();
  EXPECT_FALSE(update.ends_program());
}

TEST_F(UpdateWindowTest, UpToDateCountsDownAndShowsTheMainWindowOnTheEighthTick) {
  UpdateWindow& update = open("/qnvt/qnvt.html");
  ASSERT_EQ(update.state(), UpdateWindow::State::up_to_date);
  EXPECT_EQ(update.newest_version_box()->text(), QStringLiteral("1.1.5"));
  EXPECT_FALSE(update.update_button()->isEnabled());
  EXPECT_TRUE(update.countdown_timer()->isActive());
  EXPECT_EQ(update.countdown_timer()->interval(), 1000);
  const QString history = QStringLiteral("修复搜索结果重复的问题\n新增网页表格导出\n");
  EXPECT_EQ(update.history_box()->toPlainText(), history);
  EXPECT_EQ(window_->about_page().update_history->toPlainText(), history);
  EXPECT_EQ(sounds_, std::vector<Sound>{Sound::up_to_date});

  ASSERT_EQ(popups_.size(), 1u);
  EXPECT_EQ(popups_[0].title, QStringLiteral("感谢使用："));
  EXPECT_EQ(popups_[0].body_title, QStringLiteral("至广大用户"));
  EXPECT_EQ(popups_[0].text, QStringLiteral("欢迎使用本软件！本地模拟服务器为你提供数据。"));
  EXPECT_EQ(popups_[0].link, QString::fromStdString(http("/site")));
  EXPECT_EQ(popups_[0].play_sound, 1);
  EXPECT_EQ(values_->new_program_file, "Trovix.exe");
  EXPECT_EQ(values_->notice_link, http("/notice"));
  EXPECT_EQ(values_->exit_link, http("/thx"));

  for (int seconds = 7; seconds >= 1; --seconds) {
    update.countdown_tick();
    EXPECT_EQ(update.update_button()->text(), QStringLiteral("%1秒后自动关闭").arg(seconds));
    EXPECT_FALSE(window_->isVisible());
  }
  update.countdown_tick();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(update.isVisible());
  EXPECT_EQ(update.result(), QDialog::Accepted);
  EXPECT_FALSE(update.ends_program());

  update.manual_button()->click();
  EXPECT_EQ(opened_.back(), QString::fromStdString(http("/manual")));
}

TEST_F(UpdateWindowTest, AnotherVersionOffersTheUpdateAndClosingEndsTheProgram) {
  for (const char* path : {"/scenario/newer/qnvt/qnvt.html", "/scenario/lower/qnvt/qnvt.html"}) {
    SCOPED_TRACE(path);
    sounds_.clear();
    UpdateWindow& update = open(path);
    ASSERT_EQ(update.state(), UpdateWindow::State::update_available);
    EXPECT_EQ(update.history_caption()->text(), QStringLiteral("本次更新内容："));
    EXPECT_EQ(update.history_box()->toPlainText(),
              QStringLiteral("修复搜索结果重复的问题\n新增网页表格导出\n"));
    EXPECT_TRUE(update.update_button()->isEnabled());
    EXPECT_FALSE(update.countdown_timer()->isActive());
    EXPECT_FALSE(update.progress_bar()->isHidden());
    EXPECT_FALSE(update.size_label()->isHidden());
    EXPECT_FALSE(update.progress_label()->isHidden());
    EXPECT_FALSE(update.speed_label()->isHidden());
    EXPECT_EQ(sounds_, std::vector<Sound>{Sound::update_available});
    EXPECT_EQ(popups_.size(), 1u);
    popups_.clear();

    int pressed = 0;
    update.set_update_handler([&pressed] { ++pressed; });
    update.update_button()->click();
    EXPECT_EQ(pressed, 1);

    update.reject();
    EXPECT_TRUE(update.ends_program());
    EXPECT_EQ(update.exit_code(), 0);
    EXPECT_FALSE(window_->isVisible());
  }
}

TEST_F(UpdateWindowTest, APageThatCannotBeReadOffersNothingAndTheProgramStaysUsable) {
  for (const char* path : {"/scenario/unreadable/qnvt/qnvt.html", "/scenario/empty/qnvt/qnvt.html",
                           "/scenario/reset/qnvt/qnvt.html", "/scenario/no-markers/qnvt/qnvt.html",
                           "/scenario/missing/qnvt/qnvt.html"}) {
    SCOPED_TRACE(path);
    UpdateWindow& update = open(path);
    ASSERT_EQ(update.state(), UpdateWindow::State::up_to_date);
    EXPECT_EQ(update.newest_version_box()->text(), QString());
    EXPECT_EQ(update.history_box()->toPlainText(), QString());
    EXPECT_FALSE(update.update_button()->isEnabled());
    EXPECT_TRUE(update.countdown_timer()->isActive());
    EXPECT_TRUE(update.progress_bar()->isHidden());
    EXPECT_EQ(values_->scroll_notice, "");
    // The popup opens all the same, with an empty text.
    ASSERT_EQ(popups_.size(), 1u);
    EXPECT_EQ(popups_[0].text, QString());
    popups_.clear();
    update.reject();
    EXPECT_FALSE(update.ends_program());
  }
}

TEST_F(UpdateWindowTest, PageShapesFillTheirValues) {
  UpdateWindow& caps = open("/scenario/caps/qnvt/qnvt.html");
  EXPECT_EQ(caps.history_box()->toPlainText(), QStringLiteral("第一项\n第二项\n"));
  EXPECT_EQ(values_->popup_content, gbk("大写标签"));
  caps.reject();

  UpdateWindow& twice = open("/scenario/twice/qnvt/qnvt.html");
  EXPECT_EQ(twice.newest_version_box()->text(), QStringLiteral("1.1.5"));
  EXPECT_EQ(twice.state(), UpdateWindow::State::up_to_date);
  twice.reject();

  UpdateWindow& zero = open("/scenario/zero/qnvt/qnvt.html");
  EXPECT_EQ(zero.history_box()->toPlainText(), QStringLiteral("零字节之前\n"));
  EXPECT_EQ(values_->scroll_notice, "");
  zero.reject();

  UpdateWindow& big = open("/scenario/big/qnvt/qnvt.html");
  EXPECT_EQ(big.newest_version_box()->text(), QStringLiteral("1.1.5"));
  EXPECT_EQ(big.history_box()->toPlainText(), QStringLiteral("大页面\n"));
  big.reject();
}

TEST_F(UpdateWindowTest, NoConnectionShowsTheStopMessageAndEndsTheProgram) {
  for (std::string_view connectivity : {"/connectivity/offline", "/status/404"}) {
    UpdateWindow& update = open("/qnvt/qnvt.html", connectivity);
    ASSERT_EQ(update.state(), UpdateWindow::State::no_connection);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages_[0].title, QStringLiteral("信息："));
    EXPECT_EQ(messages_[0].text, QStringLiteral("与服务器连接失败，请关闭后重试！"));
    EXPECT_TRUE(update.ends_program());
    EXPECT_FALSE(update.isVisible());
    EXPECT_TRUE(popups_.empty());
    messages_.clear();
  }
}

TEST_F(UpdateWindowTest, DestroyingTheMainWindowOpensTheExitLinkEvenWhenEmpty) {
  make_window("/qnvt/qnvt.html");
  {
    ServerRoundTrip round_trip(*window_);
    round_trip.values()->exit_link = "http://127.0.0.1:9/bye";
  }
  window_.reset();
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], QStringLiteral("http://127.0.0.1:9/bye"));

  make_window("/qnvt/qnvt.html");
  ServerRoundTrip empty(*window_);
  opened_.clear();
  window_.reset();
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], QString());
}

TEST_F(UpdateWindowTest, TheCreationSequenceEndsWhenTheUpdateWindowEndsTheProgram) {
  make_window("/scenario/newer/qnvt/qnvt.html");
  ServerRoundTrip round_trip(*window_);
  round_trip.set_update_window_hook([](UpdateWindow& update) {
    update.set_popup_opener({});
    // The user closes the window once the update is offered.
    QObject::connect(&update, &UpdateWindow::check_finished, &update,
                     [&update] { QTimer::singleShot(0, &update, &QDialog::reject); });
  });
  CreationSteps steps;
  round_trip.add_steps(steps);
  EXPECT_FALSE(window_->run_creation_sequence(steps));
  EXPECT_EQ(round_trip.exit_code(), 0);
  EXPECT_EQ(window_->work_log().text_from(0), "");  // the later steps never ran
}

}  // namespace
}  // namespace trovix::testing
