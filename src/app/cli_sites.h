// "trovix sites": checks every configured site address and prints the table
// (or JSON); exit 0 when every engine has an ok address. No Qt here.
#pragma once

#include <ostream>

namespace trovix {

// argv[1] is "sites". Exit status: 0 every engine has an ok address, 1 some
// engine has none, 2 bad arguments.
int run_sites_command(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace trovix
