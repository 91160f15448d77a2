// Sites that moved away: whole engine sites that answer 503, stall, or
// redirect every request to a dead host, for the mirror-list failover.
#pragma once

namespace httplib {
class Server;
}

namespace sitesim {

void register_moved_sites(httplib::Server& server);

}  // namespace sitesim
