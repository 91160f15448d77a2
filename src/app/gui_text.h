// The one crossing between the core's GBK bytes and Qt's QString: every text
// that goes from a store into a widget, or from a widget into the core.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace trovix {

QString from_gbk(std::string_view gbk);
std::string to_gbk(const QString& text);

}  // namespace trovix
