#include "app/about_page.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/click_label.h"
#include "app/gui_text.h"
#include "app/pictures.h"
#include "server/feedback.h"

namespace trovix {

namespace {

QGroupBox* place_group(QWidget* parent, const char* name, const QString& title, int x, int y, int w,
                       int h) {
  auto* group = new QGroupBox(title, parent);
  group->setObjectName(QString::fromUtf8(name));
  group->setGeometry(x, y, w, h);
  return group;
}

QLabel* place_label(QWidget* parent, const QString& text, int x, int y, int w, int h) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(x, y, w, h);
  return label;
}

QLabel* place_picture(QLabel* label, const QPixmap& pixmap, int x, int y) {
  label->setPixmap(pixmap);
  label->setGeometry(x, y, pixmap.width(), pixmap.height());
  return label;
}

const QString kIntroduction = QStringLiteral(
    "\nSellavo，这是一款专业搜索全网络文件资源，采用多线程高速精准检索引擎，更加设6个搜索引擎，"
    "资源更多，搜索更深，无障碍检索音乐视频、软件、文档资料等任何资源。全球资源任你搜索。"
    "只有你想不到的，没有你搜不到的！\n\n软件永久免费，不以任何理由收取任何费用！\n\n"
    "绿色无毒，安全健康，请放心使用！");

const QString kPromotion = QStringLiteral(
    "  我们致力于收集各种免费领取微信红包、话费、现金、实\r\n\r\n"
    "物、流量、优惠卷等优惠福利活动，每天领取免费流量、话\r\n\r\n"
    "费、现金等，还有更多福利等你发现。快乐分享，天天省\r\n\r\n"
    "钱，让我们一起乐不停~~~");

}  // namespace

AboutPage build_about_page(QWidget* page) {
  AboutPage about;

  QGroupBox* intro = place_group(page, "分组框3", QStringLiteral("软件介绍"), 0, 24, 480, 176);
  QLabel* intro_text = place_label(intro, kIntroduction, 7, 8, 465, 152);
  intro_text->setObjectName(QStringLiteral("透明标签13"));
  intro_text->setWordWrap(true);
  intro_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  about.group_join_picture = new ClickLabel(intro);
  about.group_join_picture->setObjectName(QStringLiteral("图片框2"));
  place_picture(about.group_join_picture,
                banner_picture(88, 32, QStringLiteral("加入群聊"), 0x12b7f5), 284, 129);
  about.group_join_picture->setCursor(Qt::PointingHandCursor);
  auto* badge = new QLabel(intro);
  badge->setObjectName(QStringLiteral("图片框10"));
  place_picture(badge, banner_picture(88, 30, QStringLiteral("Trovix"), 0x3c8d3c), 375, 130);

  about.feedback_group = place_group(page, "分组框7", QStringLiteral("建议提交"), 0, 196, 480, 144);
  place_label(about.feedback_group, QStringLiteral("联系方式"), 6, 17, 58, 32)
      ->setObjectName(QStringLiteral("透明标签23"));
  about.contact_box = new QLineEdit(from_gbk(contact_placeholder()), about.feedback_group);
  about.contact_box->setObjectName(QStringLiteral("编辑框11"));
  about.contact_box->setGeometry(69, 16, 339, 32);
  about.contact_box->setCursorPosition(0);
  place_label(about.feedback_group, QStringLiteral("提交内容"), 6, 56, 58, 24)
      ->setObjectName(QStringLiteral("透明标签24"));
  about.content_box = new QPlainTextEdit(from_gbk(content_placeholder()), about.feedback_group);
  about.content_box->setObjectName(QStringLiteral("编辑框4"));
  about.content_box->setGeometry(67, 54, 341, 86);
  about.submit_button = new QPushButton(QStringLiteral("提交"), about.feedback_group);
  about.submit_button->setObjectName(QStringLiteral("按钮6"));
  about.submit_button->setGeometry(411, 104, 64, 36);

  QGroupBox* history =
      place_group(page, "分组框4", QStringLiteral("1.1.1更新内容："), 0, 338, 480, 142);
  about.update_history = new QPlainTextEdit(history);
  about.update_history->setObjectName(QStringLiteral("编辑框9"));
  about.update_history->setGeometry(0, 19, 470, 115);
  about.update_history->setReadOnly(true);

  QGroupBox* promotion =
      place_group(page, "分组框5", QStringLiteral("加入我们"), 480, 23, 376, 457);
  QLabel* slogan =
      place_label(promotion, QStringLiteral("一个能帮你赚钱的微信公众号"), 102, 12, 208, 33);
  slogan->setAlignment(Qt::AlignCenter);
  QLabel* arrows = place_label(promotion, QStringLiteral("▼▼▼"), 178, 46, 40, 21);
  arrows->setAlignment(Qt::AlignCenter);
  place_picture(new QLabel(promotion), code_picture(200, 7), 95, 72);
  // The text carries its own CR LF pairs; the label breaks lines at LF.
  QString promotion_text = kPromotion;
  promotion_text.remove(QLatin1Char('\r'));
  QLabel* promotion_label = place_label(promotion, promotion_text, 30, 291, 322, 90);
  promotion_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Seven lines in 90 pixels, as the form has them: a slightly smaller font.
  QFont small = promotion_label->font();
  small.setPixelSize(11);
  promotion_label->setFont(small);
  place_picture(new QLabel(promotion),
                banner_picture(197, 52, QStringLiteral("每天领福利"), 0xe0513a), 96, 390);

  about.share_button = new QPushButton(QStringLiteral("分享好友"), page);
  about.share_button->setObjectName(QStringLiteral("按钮5"));
  about.share_button->setGeometry(904, 373, 104, 40);
  about.donate_button = new QPushButton(QStringLiteral("捐赠作者"), page);
  about.donate_button->setObjectName(QStringLiteral("按钮24"));
  about.donate_button->setGeometry(904, 428, 104, 40);
  return about;
}

}  // namespace trovix
