// The program's own icon, at every size it is drawn in; the window, and so
// the notification-area icon, use it.
#pragma once

#include <QIcon>

namespace trovix {

QIcon program_icon();

}  // namespace trovix
