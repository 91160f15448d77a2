#include "app/pictures.h"

#include <QColor>
#include <QFont>
#include <QPainter>

namespace trovix {

QPixmap link_badge(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x2d, 0x7d, 0xd2));
  painter.drawRoundedRect(QRectF(0, 0, width, height), 3, 3);
  painter.setBrush(Qt::white);
  // Three dots: "more on the web site".
  const double r = height / 6.0;
  for (int i = 1; i <= 3; ++i) painter.drawEllipse(QPointF(width * i / 4.0, height / 2.0), r, r);
  return pixmap;
}

QPixmap code_picture(int size, std::uint32_t seed) {
  constexpr int kModules = 25;
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  const double cell = static_cast<double>(size - 8) / kModules;
  const auto module_rect = [&](int x, int y, int w, int h) {
    return QRectF(4 + x * cell, 4 + y * cell, w * cell, h * cell);
  };
  // A plain linear-congruential sequence: the same seed always draws the same picture.
  std::uint32_t state = seed * 2654435761u + 1u;
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  for (int y = 0; y < kModules; ++y) {
    for (int x = 0; x < kModules; ++x) {
      state = state * 1664525u + 1013904223u;
      const bool in_corner =
          (x < 8 && y < 8) || (x >= kModules - 8 && y < 8) || (x < 8 && y >= kModules - 8);
      if (!in_corner && (state >> 24) % 2 == 0) painter.drawRect(module_rect(x, y, 1, 1));
    }
  }
  for (const auto& [cx, cy] :
       {std::pair{0, 0}, std::pair{kModules - 7, 0}, std::pair{0, kModules - 7}}) {
    painter.setBrush(Qt::black);
    painter.drawRect(module_rect(cx, cy, 7, 7));
    painter.setBrush(Qt::white);
    painter.drawRect(module_rect(cx + 1, cy + 1, 5, 5));
    painter.setBrush(Qt::black);
    painter.drawRect(module_rect(cx + 2, cy + 2, 3, 3));
  }
  return pixmap;
}

QPixmap banner_picture(int width, int height, const QString& caption, std::uint32_t rgb) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgb(rgb));
  painter.drawRoundedRect(QRectF(0.5, 0.5, width - 1.0, height - 1.0), 5, 5);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(std::max(10, height / 3));
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, 0, width, height), Qt::AlignCenter, caption);
  return pixmap;
}

}  // namespace trovix
