// The program's skin: one style sheet and palette kept in the program's
// resources, applied once to the whole application while the main window is
// created. A skin that cannot be loaded leaves the platform's look.
#pragma once

#include <QPalette>
#include <QString>
#include <optional>

class QApplication;

namespace trovix {

// Shifts of the skin's colours: hue in degrees, saturation and brightness in
// percent. All 0 is the skin as drawn.
struct SkinTone {
  int hue = 0;
  int saturation = 0;
  int brightness = 0;
};

// The palette described by a palette file ("Role = #rrggbb" lines, "#" at the
// start of a line for comments), built on `base`. Nothing when a line names
// no role or no colour.
std::optional<QPalette> read_skin_palette(const QString& text, const QPalette& base);
QColor toned(const QColor& colour, SkinTone tone);

// Applies the skin in `folder` (trovix.qss and palette.ini); false, with the
// application untouched, when either cannot be read or understood.
bool apply_skin(QApplication& app, SkinTone tone = {},
                const QString& folder = QStringLiteral(":/skin"));

}  // namespace trovix
