// The status bar and the scrolling notice on the main window.
#include "app/status_driver.h"

#include <QLabel>
#include <QTimer>

#include "app/click_label.h"
#include "app/server_fixture.h"
#include "web/codec.h"

namespace trovix::testing {
namespace {

class StatusDriverTest : public ServerWindowTest {
 protected:
  StatusDriver& make_driver(std::string_view counter_path = "/count1/count.asp") {
    make_window("/qnvt/qnvt.html");
    ServiceAddresses addresses = window_->addresses();
    addresses.counter = http(counter_path);
    window_ = std::make_unique<MainWindow>(std::move(addresses));
    window_->set_url_opener([this](const QString& address) { opened_.push_back(address); });
    values_ = std::make_shared<ServerValues>();
    driver_ = new StatusDriver(*window_, values_);
    return *driver_;
  }
  QLabel* panel(int index) const { return window_->status_bar()->panel(index); }

  std::shared_ptr<ServerValues> values_;
  StatusDriver* driver_ = nullptr;
};

TEST_F(StatusDriverTest, TimersRunFromTheStartAndTheRunTimeTicks) {
  StatusDriver& driver = make_driver();
  EXPECT_TRUE(driver.run_time_timer()->isActive());
  EXPECT_EQ(driver.run_time_timer()->interval(), 1000);
  EXPECT_TRUE(driver.notice_timer()->isActive());
  EXPECT_EQ(driver.notice_timer()->interval(), 1);
  EXPECT_EQ(panel(0)->text(), QStringLiteral("运行状态"));
  driver.run_time_tick();
  EXPECT_EQ(panel(0)->text(), QStringLiteral("系统已运行：00:00:01"));
}

TEST_F(StatusDriverTest, TheNoticeTakesTheServerLineAndWrapsAtTheBar) {
  StatusDriver& driver = make_driver();
  driver.notice_timer()->stop();
  QLabel* label = window_->notice_bar().label;
  EXPECT_EQ(label->text(), QStringLiteral("滚动公告栏"));
  values_->scroll_notice = gbk("一二三四五六七八九十");
  driver.setup_notice();
  EXPECT_EQ(label->width(), 180);
  EXPECT_EQ(label->text(), QStringLiteral("一二三四五六七八九十"));
  label->move(-179, label->y());
  driver.notice_tick();
  EXPECT_EQ(label->x(), -180);
  driver.notice_tick();
  EXPECT_EQ(label->x(), 1055);

  // Markup from the server stays text.
  values_->scroll_notice = "<a href='x'>link</a>";
  driver.setup_notice();
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_EQ(label->width(), 9 * 20);
}

TEST_F(StatusDriverTest, ClickingTheNoticeOrItsBarOpensTheNoticeLink) {
  make_driver();
  values_->notice_link = "http://127.0.0.1:9/notice";
  QTest::mouseClick(window_->notice_bar().label, Qt::LeftButton);
  QTest::mouseClick(window_->notice_bar().bar, Qt::LeftButton, {}, QPoint(1000, 10));
  EXPECT_EQ(opened_, (std::vector<QString>{QStringLiteral("http://127.0.0.1:9/notice"),
                                           QStringLiteral("http://127.0.0.1:9/notice")}));
}

TEST_F(StatusDriverTest, TheUsagePanelIsFilledOnceTheCounterAnswers) {
  struct Case {
    const char* path;
    QString line;
  };
  const Case cases[] = {
      {"/scenario/plain/count1/count.asp", QStringLiteral("今日使用：12          累计使用：3456")},
      {"/scenario/broken/count1/count.asp", QStringLiteral("今日使用：          累计使用：")},
      {"/scenario/gone/count1/count.asp", QStringLiteral("今日使用：          累计使用：")},
  };
  for (const Case& c : cases) {
    StatusDriver& driver = make_driver(c.path);
    EXPECT_EQ(panel(1)->text(), QStringLiteral("使用统计"));
    bool filled = false;
    QObject::connect(&driver, &StatusDriver::usage_filled, [&filled] { filled = true; });
    driver.fill_usage_panel();
    EXPECT_EQ(panel(1)->text(), QStringLiteral("使用统计"));  // not waited for
    ASSERT_TRUE(wait_until([&filled] { return filled; })) << c.path;
    EXPECT_EQ(panel(1)->text(), c.line) << c.path;
  }
  // The real counter shape: percent-encoded markers, counts that grow.
  make_driver("/count1/count.asp");
  bool filled = false;
  QObject::connect(driver_, &StatusDriver::usage_filled, [&filled] { filled = true; });
  driver_->fill_usage_panel();
  ASSERT_TRUE(wait_until([&filled] { return filled; }));
  EXPECT_TRUE(panel(1)->text().startsWith(QStringLiteral("今日使用：")))
      << panel(1)->text().toStdString();
  EXPECT_TRUE(panel(1)->text().contains(QStringLiteral("          累计使用：34")));
}

}  // namespace
}  // namespace trovix::testing
