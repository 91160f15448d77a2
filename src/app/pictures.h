// The pictures of the windows (link badges, code pictures, banners), drawn at
// run time so that the program carries no image files.
#pragma once

#include <QPixmap>
#include <QString>
#include <cstdint>

namespace trovix {

// The small badge beside an engine row that leads to the web site.
QPixmap link_badge(int width, int height);
// A square code-like picture; `seed` makes two pictures differ.
QPixmap code_picture(int size, std::uint32_t seed);
// A flat banner with a caption.
QPixmap banner_picture(int width, int height, const QString& caption, std::uint32_t rgb);

}  // namespace trovix
