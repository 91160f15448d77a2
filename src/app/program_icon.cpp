#include "app/program_icon.h"

namespace trovix {

QIcon program_icon() {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/trovix-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace trovix
