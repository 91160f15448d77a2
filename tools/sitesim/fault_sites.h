// Whole sites that fail in one way: every request under /faulty/<mode>/ gets
// that fault, whatever path an engine appends, so a services file can point
// any engine at a broken site. "garbage" lives on the raw responder (see
// raw_responder.cpp), the other modes on the HTTP server.
#pragma once

#include <string>
#include <string_view>

namespace httplib {
class Server;
}

namespace sitesim {

// stall (answers after 20 s, or at shutdown), reset (cut mid-body), big
// (10 MiB page), badgbk (invalid GBK bytes), loop (redirects to itself), 404,
// 500, empty (200 without a body).
void register_fault_sites(httplib::Server& server, const std::string& own_base);

// The raw responder's answer to a /faulty/garbage/ request; empty for any
// other path.
std::string raw_fault_site_answer(std::string_view path);

}  // namespace sitesim
