// The announcement popup: place, fade, links, drag and close.
#include "app/announcement_popup.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/server_fixture.h"

namespace trovix::testing {
namespace {

class PopupTest : public ServerWindowTest {
 protected:
  std::unique_ptr<AnnouncementPopup> make_popup(QString link, int play_sound = 1) {
    PopupParameters parameters;
    parameters.title = QStringLiteral("感谢使用：");
    parameters.text = QStringLiteral("<b>不是标记</b>");
    parameters.body_title = QStringLiteral("至广大用户");
    parameters.link = std::move(link);
    parameters.play_sound = play_sound;
    auto popup = std::make_unique<AnnouncementPopup>(parameters, &fade_level_);
    popup->setAttribute(Qt::WA_DeleteOnClose, false);
    popup->set_url_opener([this](const QString& address) { opened_.push_back(address); });
    return popup;
  }
  template <typename Widget>
  static Widget* part(AnnouncementPopup& popup, const char* name) {
    auto* widget = popup.findChild<Widget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  int fade_level_ = 0;
};

TEST_F(PopupTest, StandsAboveTheTaskbarAndFadesInOverTwentySixTicks) {
  auto popup = make_popup(QString());
  EXPECT_EQ(popup->size(), QSize(243, 158));
  popup->place_on(QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040));
  EXPECT_EQ(popup->pos(), QPoint(1677, 882));
  popup->place_on(QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080));  // no taskbar
  EXPECT_EQ(popup->pos(), QPoint(1677, 922));
  popup->place_on(QRect(0, 0, 200, 100), QRect(0, 0, 200, 60));  // smaller than the popup
  EXPECT_EQ(popup->pos(), QPoint(0, 0));

  popup->start();
  EXPECT_EQ(popup->opacity_level(), 0);
  EXPECT_TRUE(popup->fade_timer()->isActive());
  EXPECT_EQ(popup->fade_timer()->interval(), 100);
  for (int tick = 0; tick < 25; ++tick) popup->fade_tick();
  EXPECT_EQ(popup->opacity_level(), 250);
  EXPECT_NEAR(popup->windowOpacity(), 250 / 255.0, 0.01);
  EXPECT_TRUE(popup->fade_timer()->isActive());
  popup->fade_tick();
  EXPECT_EQ(popup->fade_level(), 260);
  EXPECT_EQ(popup->opacity_level(), 255);
  EXPECT_FALSE(popup->fade_timer()->isActive());
  EXPECT_EQ(sounds_, std::vector<Sound>{Sound::popup_default});

  // The level is shared: a later popup starts opaque.
  auto second = make_popup(QString(), 0);
  second->start();
  EXPECT_EQ(second->opacity_level(), 255);
  EXPECT_EQ(sounds_.size(), 1u);  // play sound 0 plays nothing
}

TEST_F(PopupTest, LinkLabelsChangeColourAndAnEmptyLinkOpensNothing) {
  auto popup = make_popup(QString());
  popup->show();
  auto* content = part<QLabel>(*popup, "公告内容");
  ASSERT_NE(content, nullptr);
  EXPECT_EQ(content->textFormat(), Qt::PlainText);
  EXPECT_EQ(content->text(), QStringLiteral("<b>不是标记</b>"));
  QTest::mousePress(content, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(content->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  QTest::mouseRelease(content, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(content->palette().color(QPalette::WindowText), QColor(39, 134, 228));
  part<QPushButton>(*popup, "查看按钮")->click();
  EXPECT_TRUE(opened_.empty());

  auto linked = make_popup(QStringLiteral("http://127.0.0.1:9/site"));
  linked->show();
  QTest::mousePress(part<QLabel>(*linked, "正文标题"), Qt::LeftButton, {}, QPoint(5, 5));
  part<QPushButton>(*linked, "查看按钮")->click();
  EXPECT_EQ(opened_, (std::vector<QString>{QStringLiteral("http://127.0.0.1:9/site"),
                                           QStringLiteral("http://127.0.0.1:9/site")}));
}

TEST_F(PopupTest, TheTitleBarDragsAndTheCloseButtonCloses) {
  auto popup = make_popup(QString());
  popup->move(100, 100);
  popup->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.get()));
  const QPoint start = popup->pos();
  QTest::mousePress(popup.get(), Qt::LeftButton, {}, QPoint(60, 10));
  QMouseEvent move(QEvent::MouseMove, QPointF(90, 30), popup->mapToGlobal(QPointF(90, 30)),
                   Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(popup.get(), &move);
  QTest::mouseRelease(popup.get(), Qt::LeftButton, {}, QPoint(90, 30));
  EXPECT_EQ(popup->pos(), start + QPoint(30, 20));

  part<QPushButton>(*popup, "关闭按钮")->click();
  EXPECT_FALSE(popup->isVisible());
}

TEST_F(PopupTest, OpeningUsesTheDefaultIconAndReplacesNothingElse) {
  PopupParameters parameters;
  AnnouncementPopup* popup = open_announcement_popup(parameters);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(current_announcement_popup(), popup);
  EXPECT_FALSE(part<QPushButton>(*popup, "公告图标")->icon().isNull());
  EXPECT_TRUE(popup->isVisible());
  close_announcement_popup();
  EXPECT_EQ(current_announcement_popup(), nullptr);
}

}  // namespace
}  // namespace trovix::testing
