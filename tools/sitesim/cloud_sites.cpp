#include "engine_sites.h"

namespace sitesim {
void register_cloud_sites(httplib::Server&, const SimConfig&) {}
}  // namespace sitesim
