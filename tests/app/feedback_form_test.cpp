// The About page's feedback group against the simulator's form service: the
// placeholders, the order of what the user sees, and the button while waiting.
#include "app/feedback_form.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/app_fixture.h"
#include "app/gui_text.h"
#include "support/sitesim_process.h"
#include "web/web_request.h"

namespace trovix::testing {
namespace {

class FeedbackGroupTest : public WindowTest {
 protected:
  static void SetUpTestSuite() { sim_ = new SiteSimulator(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override {
    WindowTest::SetUp();
    use_service("");
  }
  // A form of its own on the window's controls, pointed at the simulator.
  void use_service(const std::string& mode, int timeout_seconds = 0) {
    form_ = std::make_unique<FeedbackForm>(
        window_->about_page(),
        FeedbackService{sim_->http_base() + "/form" + mode, "simtoken", timeout_seconds},
        [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
          messages_.push_back({icon, title, text});
        });
  }
  void TearDown() override {
    form_.reset();
    WindowTest::TearDown();
  }
  QLineEdit* contact() { return window_->about_page().contact_box; }
  QPlainTextEdit* content() { return window_->about_page().content_box; }
  QPushButton* button() { return window_->about_page().submit_button; }
  std::string record() const {
    std::string bytes;
    WebRequest(sim_->http_base() + "/form/last", 0, {}, nullptr, nullptr, {}, nullptr, false, {},
               {}, {}, {}, {}, 0, nullptr, nullptr, &bytes);
    return bytes;
  }
  // Presses the form's own button (the window's default form sends nowhere).
  void press() { form_->submit(); }
  bool answered() {
    return QTest::qWaitFor([this] { return !form_->waiting(); }, 10000);
  }

  static SiteSimulator* sim_;
  std::unique_ptr<FeedbackForm> form_;
};
SiteSimulator* FeedbackGroupTest::sim_ = nullptr;

TEST_F(FeedbackGroupTest, BoxesStartWithPlaceholdersThatAClickClears) {
  EXPECT_EQ(control<QLineEdit>("编辑框11")->text(),
            QString(21, QLatin1Char(' ')) + QStringLiteral("（QQ、微信、邮箱皆可）"));
  EXPECT_EQ(control<QPlainTextEdit>("编辑框4")->toPlainText(),
            QString(157, QLatin1Char(' ')) +
                QStringLiteral("如果您对软件有任何意见建议，请在此输入内容提交即可！"));
  EXPECT_EQ(control<QPushButton>("按钮6")->text(), QStringLiteral("提交"));
  EXPECT_EQ(control<QGroupBox>("分组框7")->title(), QStringLiteral("建议提交"));

  QTest::mouseClick(contact(), Qt::LeftButton);
  EXPECT_TRUE(contact()->text().isEmpty());
  QTest::mouseClick(content()->viewport(), Qt::LeftButton);
  EXPECT_TRUE(content()->toPlainText().isEmpty());
  // Own text stays on a click.
  content()->setPlainText(QStringLiteral("如果您对软件有任何意见建议"));
  QTest::mouseClick(content()->viewport(), Qt::LeftButton);
  EXPECT_EQ(content()->toPlainText(), QStringLiteral("如果您对软件有任何意见建议"));
}

TEST_F(FeedbackGroupTest, UntouchedOrBlankContentShowsTheEmptyDataMessageAfterTheFormPage) {
  for (const QString& text : {content()->toPlainText(), QStringLiteral("   \n  ")}) {
    messages_.clear();
    content()->setPlainText(text);
    const std::string before = record();
    press();
    EXPECT_FALSE(button()->isEnabled());
    EXPECT_TRUE(messages_.empty());  // the form page is fetched first
    ASSERT_TRUE(answered());
    EXPECT_TRUE(button()->isEnabled());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages_[0].title, QStringLiteral("错误提示："));
    EXPECT_EQ(messages_[0].text, QStringLiteral("提交数据为空，请输入内容后重新提交！"));
    const std::string after = record();
    EXPECT_NE(after.substr(0, after.find('\n')), before.substr(0, before.find('\n')));
    EXPECT_EQ(after.substr(after.find("POSTS"), 8), before.substr(before.find("POSTS"), 8));
  }
}

TEST_F(FeedbackGroupTest, SuccessTextIsShownAndASecondPressSubmitsIt) {
  content()->setPlainText(QStringLiteral("你好"));
  press();
  ASSERT_TRUE(answered());
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(content()->toPlainText(),
            QStringLiteral("<<<数据提交成功，小编会不断对软件进行完善！\n  感谢您的支持！"));
  EXPECT_NE(record().find(std::string(21, ' ') + "（QQ、微信、邮箱皆可）"), std::string::npos);

  press();
  ASSERT_TRUE(answered());
  EXPECT_NE(record().find("\"1172499\":\"<<<数据提交成功，小编会不断对软件进行完善！\\r\\n  "
                          "感谢您的支持！\""),
            std::string::npos);
}

TEST_F(FeedbackGroupTest, FailureAndAStalledServiceShowTheFailureText) {
  for (const char* mode : {"/fail", "/stall"}) {
    SCOPED_TRACE(mode);
    use_service(mode, 1);
    content()->setPlainText(QStringLiteral("他说\"好\"\\"));
    press();
    // The window keeps handling events while the service stalls.
    EXPECT_TRUE(QTest::qWaitFor([] { return true; }, 10));
    ASSERT_TRUE(answered());
    EXPECT_EQ(content()->toPlainText(),
              QStringLiteral("<<<数据提交结果：\n    数据提交失败，请直接点击上方联系作者！"));
  }
}

TEST_F(FeedbackGroupTest, LineBreaksAreSentAsTheyAreTyped) {
  content()->setPlainText(QStringLiteral("第一行\n第二行"));
  press();
  ASSERT_TRUE(answered());
  EXPECT_NE(record().find("第一行\\r\\n第二行"), std::string::npos);
}

}  // namespace
}  // namespace trovix::testing
