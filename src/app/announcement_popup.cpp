#include "app/announcement_popup.h"

#include <QBitmap>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "server/popup_geometry.h"

namespace trovix {

namespace {

const QColor kCutOut(255, 0, 0);

// The background: a blue title strip over a light body, rounded corners in
// pure red, which the window's shape leaves out.
QPixmap background_picture() {
  QPixmap pixmap(AnnouncementPopup::kWidth, AnnouncementPopup::kHeight);
  pixmap.fill(kCutOut);
  QPainter painter(&pixmap);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(0, 0, pixmap.width(), pixmap.height()), 7, 7);
  painter.setClipPath(shape);
  QLinearGradient title(0, 0, 0, 28);
  title.setColorAt(0, QColor(0x4a, 0x90, 0xe2));
  title.setColorAt(1, QColor(0x2a, 0x6c, 0xc0));
  painter.fillRect(QRect(0, 0, pixmap.width(), 28), title);
  painter.fillRect(QRect(0, 28, pixmap.width(), pixmap.height() - 28), QColor(0xf4, 0xf8, 0xfd));
  painter.setPen(QColor(0x2a, 0x6c, 0xc0));
  painter.drawLine(0, 28, pixmap.width(), 28);
  return pixmap;
}

QIcon default_icon() {
  QIcon icon;
  for (int size : {128, 64, 48, 32, 16}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xc1, 0x07));
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
    painter.setBrush(Qt::white);
    const double w = size / 7.0;
    painter.drawRoundedRect(QRectF(size / 2.0 - w / 2, size * 0.2, w, size * 0.4), w / 3, w / 3);
    painter.drawEllipse(QRectF(size / 2.0 - w / 2, size * 0.68, w, w));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QPixmap close_picture() {
  QPixmap pixmap(37, 28);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 2));
  painter.drawLine(QPointF(14, 9), QPointF(23, 18));
  painter.drawLine(QPointF(23, 9), QPointF(14, 18));
  return pixmap;
}

QPixmap view_picture() {
  QPixmap pixmap(52, 22);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x27, 0x86, 0xe4));
  painter.drawRoundedRect(QRectF(0, 0, 52, 22), 4, 4);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, 52, 22), Qt::AlignCenter, QStringLiteral("查看"));
  return pixmap;
}

QPushButton* picture_button(QWidget* parent, const char* name, const QIcon& icon, QRect place) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setGeometry(place);
  button->setFlat(true);
  button->setIcon(icon);
  button->setIconSize(place.size());
  button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

void set_text_colour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

// A label of the link: the pressed colour and the link on a press, the
// release colour when the button comes up over it.
class LinkLabel : public QLabel {
 public:
  LinkLabel(QWidget* parent, std::function<void()> on_press)
      : QLabel(parent), on_press_(std::move(on_press)) {
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
    event->accept();
    set_text_colour(this, AnnouncementPopup::kPressedColour);
    on_press_();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return QLabel::mouseReleaseEvent(event);
    event->accept();
    if (rect().contains(event->position().toPoint()))
      set_text_colour(this, AnnouncementPopup::kReleasedColour);
  }

 private:
  std::function<void()> on_press_;
};

int& process_fade_level() {
  static int level = 0;
  return level;
}

QPointer<AnnouncementPopup>& current_popup() {
  static QPointer<AnnouncementPopup> popup;
  return popup;
}

QLabel* plain_label(QWidget* parent, const char* name, const QString& text, QRect place) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setTextFormat(Qt::PlainText);  // server texts are never markup
  label->setGeometry(place);
  return label;
}

}  // namespace

AnnouncementPopup::AnnouncementPopup(const PopupParameters& parameters, int* fade_level)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      parameters_(parameters),
      fade_level_(fade_level != nullptr ? fade_level : &process_fade_level()) {
  setObjectName(QStringLiteral("公告窗口"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);
  if (parameters_.icon.isNull()) parameters_.icon = default_icon();

  const QPixmap background = background_picture();
  auto* back = new QLabel(this);
  back->setGeometry(0, 0, kWidth, kHeight);
  back->setPixmap(background);
  back->setAttribute(Qt::WA_TransparentForMouseEvents);

  title_bar_ = plain_label(this, "标题栏", QString(), QRect(0, 0, 206, 26));
  title_bar_->setAttribute(Qt::WA_TransparentForMouseEvents);  // the window drags
  auto* icon = picture_button(this, "公告图标", parameters_.icon, QRect(8, 6, 16, 16));
  icon->setCursor(Qt::ArrowCursor);
  QLabel* title = plain_label(this, "公告标题", parameters_.title, QRect(28, 6, 170, 16));
  title->setAttribute(Qt::WA_TransparentForMouseEvents);
  set_text_colour(title, Qt::white);
  QPushButton* close =
      picture_button(this, "关闭按钮", QIcon(close_picture()), QRect(206, 0, 37, 28));
  connect(close, &QPushButton::clicked, this, &QWidget::close);

  auto* body_title = new LinkLabel(this, [this] { open_link(); });
  body_title->setObjectName(QStringLiteral("正文标题"));
  body_title->setTextFormat(Qt::PlainText);
  body_title->setGeometry(0, 30, 242, 16);
  body_title->setAlignment(Qt::AlignCenter);
  body_title->setText(parameters_.body_title);
  QFont bold = body_title->font();
  bold.setBold(true);
  body_title->setFont(bold);
  set_text_colour(body_title, kReleasedColour);

  auto* content = new LinkLabel(this, [this] { open_link(); });
  content->setObjectName(QStringLiteral("公告内容"));
  content->setTextFormat(Qt::PlainText);
  content->setGeometry(8, 50, 228, 74);
  content->setWordWrap(true);
  content->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  content->setText(parameters_.text);
  set_text_colour(content, kReleasedColour);

  QPushButton* view =
      picture_button(this, "查看按钮", QIcon(view_picture()), QRect(184, 132, 52, 22));
  connect(view, &QPushButton::clicked, this, &AnnouncementPopup::open_link);

  // The shape leaves out every pure red pixel of the background.
  setMask(background.createMaskFromColor(kCutOut, Qt::MaskInColor));

  fade_timer_ = new QTimer(this);
  fade_timer_->setObjectName(QStringLiteral("透明时钟"));
  connect(fade_timer_, &QTimer::timeout, this, &AnnouncementPopup::fade_tick);
}

void AnnouncementPopup::place_on(const QRect& screen, const QRect& available) {
  const PopupPlace place = popup_place(screen.width(), screen.height(), kWidth, kHeight,
                                       screen.height() - available.height());
  move(screen.left() + place.left, screen.top() + place.top);
}

int AnnouncementPopup::opacity_level() const { return opacity_of_level(*fade_level_); }

void AnnouncementPopup::start() {
  setWindowOpacity(opacity_level() / 255.0);
  show();
  if (parameters_.play_sound == 1) play_sound(parameters_.sound.value_or(Sound::popup_default));
  fade_timer_->start(kFadeIntervalMs);
  // The original pressed Shift and Ctrl here, a habit of its platform that
  // changes nothing a user sees; it is left out.
}

void AnnouncementPopup::fade_tick() {
  *fade_level_ += kFadeStep;
  setWindowOpacity(opacity_level() / 255.0);
  if (fade_finished(*fade_level_)) fade_timer_->stop();
}

void AnnouncementPopup::open_link() {
  if (parameters_.link.isEmpty()) return;
  if (url_opener_) {
    url_opener_(parameters_.link);
    return;
  }
  QDesktopServices::openUrl(QUrl(parameters_.link, QUrl::TolerantMode));
}

void AnnouncementPopup::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton && title_bar_->geometry().contains(at)) {
    event->accept();
    drag_offset_ = at;
    return;
  }
  QWidget::mousePressEvent(event);
}

void AnnouncementPopup::mouseMoveEvent(QMouseEvent* event) {
  if (drag_offset_ && (event->buttons() & Qt::LeftButton)) {
    event->accept();
    move(event->globalPosition().toPoint() - *drag_offset_);
    return;
  }
  QWidget::mouseMoveEvent(event);
}

void AnnouncementPopup::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) drag_offset_.reset();
  QWidget::mouseReleaseEvent(event);
}

AnnouncementPopup* open_announcement_popup(const PopupParameters& parameters) {
  close_announcement_popup();
  auto* popup = new AnnouncementPopup(parameters);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    popup->place_on(screen->geometry(), screen->availableGeometry());
  }
  current_popup() = popup;
  popup->start();
  return popup;
}

AnnouncementPopup* current_announcement_popup() { return current_popup().data(); }

void close_announcement_popup() { delete current_popup().data(); }

}  // namespace trovix
