// The self-update's file and the feedback form service of the program's
// server, with the fault modes the update and the feedback tests need.
#pragma once

#include "sim.h"

namespace httplib {
class Server;
}

namespace sitesim {

void register_update_and_form_sites(httplib::Server& server, const SimConfig& config);

// Parts of the above, each in its own file.
void register_update_file(httplib::Server& server);
void register_form_service(httplib::Server& server);

}  // namespace sitesim
