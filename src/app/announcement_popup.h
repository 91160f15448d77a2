// The announcement popup: a frameless 243 × 158 window that fades in above the
// taskbar at the lower right, shows a title, a body title and the server's
// announcement, opens its link on a click, is dragged by its title bar and
// closed by its close button. It never closes by itself.
#pragma once

#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "app/sound_player.h"

class QLabel;
class QPushButton;
class QTimer;

namespace trovix {

struct PopupParameters {
  QString title;
  QString text;
  QIcon icon;  // null: the default icon
  QString body_title;
  QString link;                // empty: the link actions do nothing
  int play_sound = 1;          // 1 plays the sound when the popup is shown
  std::optional<Sound> sound;  // none: the default sound
};

class AnnouncementPopup : public QWidget {
  Q_OBJECT
 public:
  using UrlOpener = std::function<void(const QString& address)>;
  static constexpr int kWidth = 243;
  static constexpr int kHeight = 158;
  static inline const QColor kPressedColour{0, 0, 255};
  static inline const QColor kReleasedColour{39, 134, 228};

  // `fade_level` is the level the fade continues from and advances; by default
  // the process-wide one, which starts at 0 and is never reset.
  explicit AnnouncementPopup(const PopupParameters& parameters, int* fade_level = nullptr);

  // Places the popup at the lower right of `screen`, above the taskbar, which
  // takes the screen's height minus its available height.
  void place_on(const QRect& screen, const QRect& available);
  // Shows the popup: opacity at the fade level, the sound, the fade timer.
  void start();
  // One tick of the fade timer (every 100 ms until the level reaches 256).
  void fade_tick();
  int fade_level() const { return *fade_level_; }
  int opacity_level() const;  // 0 … 255, as applied to the window
  QTimer* fade_timer() const { return fade_timer_; }

  void set_url_opener(UrlOpener opener) { url_opener_ = std::move(opener); }
  void open_link();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  PopupParameters parameters_;
  int* fade_level_;
  QLabel* title_bar_ = nullptr;
  QTimer* fade_timer_ = nullptr;
  UrlOpener url_opener_;
  std::optional<QPoint> drag_offset_;
};

// Opens the popup without waiting for it: placed on the primary screen, shown
// and fading in. It deletes itself when closed; a later call replaces an
// earlier popup that is still open.
AnnouncementPopup* open_announcement_popup(const PopupParameters& parameters);
// The popup opened last, while it exists.
AnnouncementPopup* current_announcement_popup();
// At the program's end: deletes a popup still open.
void close_announcement_popup();

}  // namespace trovix
