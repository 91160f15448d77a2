#include "app/skin.h"

#include <QApplication>
#include <QFile>
#include <QMetaEnum>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>

namespace trovix {

namespace {

std::optional<QString> read_text(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return QString::fromUtf8(file.readAll());
}

}  // namespace

QColor toned(const QColor& colour, SkinTone tone) {
  if (tone.hue == 0 && tone.saturation == 0 && tone.brightness == 0) return colour;
  int h = 0, s = 0, v = 0, a = 0;
  colour.getHsv(&h, &s, &v, &a);
  if (h >= 0) h = ((h + tone.hue) % 360 + 360) % 360;  // -1: grey, no hue to turn
  s = std::clamp(s * (100 + tone.saturation) / 100, 0, 255);
  v = std::clamp(v * (100 + tone.brightness) / 100, 0, 255);
  return QColor::fromHsv(h, s, v, a);
}

std::optional<QPalette> read_skin_palette(const QString& text, const QPalette& base) {
  const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
  QPalette palette = base;
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) return std::nullopt;
    const QByteArray name = line.left(equals).trimmed().toLatin1();
    const QColor colour = QColor::fromString(line.mid(equals + 1).trimmed());
    bool known = false;
    const int role = roles.keyToValue(name.constData(), &known);
    if (!known || !colour.isValid()) return std::nullopt;
    palette.setColor(static_cast<QPalette::ColorRole>(role), colour);
  }
  return palette;
}

bool apply_skin(QApplication& app, SkinTone tone, const QString& folder) {
  const std::optional<QString> sheet = read_text(folder + QStringLiteral("/trovix.qss"));
  const std::optional<QString> colours = read_text(folder + QStringLiteral("/palette.ini"));
  if (!sheet || !colours) return false;
  // The skin is drawn on Qt's own style, the same on every desktop.
  QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
  if (style == nullptr) return false;
  std::optional<QPalette> palette = read_skin_palette(*colours, style->standardPalette());
  if (!palette) {
    delete style;
    return false;
  }
  for (int group = 0; group < QPalette::NColorGroups; ++group) {
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
      const auto g = static_cast<QPalette::ColorGroup>(group);
      const auto r = static_cast<QPalette::ColorRole>(role);
      palette->setColor(g, r, toned(palette->color(g, r), tone));
    }
  }
  app.setStyle(style);  // the application owns it from here
  app.setPalette(*palette);
  app.setStyleSheet(*sheet);
  return true;
}

}  // namespace trovix
