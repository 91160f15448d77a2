// The simulator's own controls, for tests and benchmarks: a latency added to
// every answer (as a real site far away would have) and the list of the
// requests the search sites received.
#pragma once

namespace httplib {
class Server;
}

namespace sitesim {

// The latency every answer waits before it is made, in milliseconds; set at
// start by --latency-ms and at any time by GET /sim/latency?ms=N.
void set_latency_ms(long ms);

// Waits the latency, records the request and routes /sim/... to the controls.
void register_controls(httplib::Server& server);

}  // namespace sitesim
