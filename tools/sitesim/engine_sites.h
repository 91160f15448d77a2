// The six search sites the engines read, served under /e1 … /e6.
#pragma once

namespace httplib {
class Server;
}

namespace sitesim {

struct SimConfig;
void register_torrent_sites(httplib::Server& server, const SimConfig& config);  // /e1 … /e4
void register_cloud_sites(httplib::Server& server, const SimConfig& config);    // /e5, /e6

}  // namespace sitesim
