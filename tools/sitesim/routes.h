// The simulator's own routes, apart from the six search sites: the generic
// and fault routes every network test uses, and the program server's pages.
#pragma once

#include <string>

#include "sim.h"

namespace httplib {
class Server;
}

namespace sitesim {

// own_base is the base of the server being set up ("http://127.0.0.1:PORT" or
// the https one); redirects are made absolute against it.
void register_generic_routes(httplib::Server& server, const std::string& own_base);

// Information page, visit counter, connectivity
// check and the plain pages behind the other program addresses.
void register_program_server(httplib::Server& server, const SimConfig& config);

}  // namespace sitesim
