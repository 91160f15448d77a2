#include "engine_sites.h"

namespace sitesim {
void register_torrent_sites(httplib::Server&, const SimConfig&) {}
}  // namespace sitesim
