// The site simulator: one process serving the six search sites, the program
// server's pages and the generic and fault routes on loopback, over HTTP and
// HTTPS, plus a bare TCP responder. Tests, the demo and benchmarks start it.
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "certs.h"
#include "control.h"
#include "engine_sites.h"
#include "fault_sites.h"
#include "raw_responder.h"
#include "routes.h"
#include "sim.h"
#include "update_form_sites.h"

namespace {

// Stalled answers and kept-alive connections each hold a worker, so the pool is
// far larger than the core count; the workers mostly sleep.
constexpr std::size_t kWorkers = 64;
// After SIGTERM the process ends on its own within this time, whatever hangs.
constexpr auto kExitDeadline = std::chrono::seconds(3);

struct Options {
  int http_port = 0;
  int https_port = 0;
  std::string state_dir;
  bool demo = false;
  long latency_ms = 0;
};

[[noreturn]] void usage(const char* message) {
  std::fprintf(stderr,
               "sitesim: %s\nusage: sitesim [--port N] [--https-port N] [--state-dir DIR] "
               "[--latency-ms N] [--demo]\n",
               message);
  std::exit(2);
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) usage(("missing value after " + arg).c_str());
      return argv[++i];
    };
    auto port = [&]() {
      std::string text = next();
      char* end = nullptr;
      long value = std::strtol(text.c_str(), &end, 10);
      if (*end != '\0' || value < 0 || value > 65535) usage(("bad port " + text).c_str());
      return static_cast<int>(value);
    };
    if (arg == "--port")
      options.http_port = port();
    else if (arg == "--https-port")
      options.https_port = port();
    else if (arg == "--state-dir")
      options.state_dir = next();
    else if (arg == "--latency-ms") {
      const std::string text = next();
      char* end = nullptr;
      const long value = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || value < 0 || value > 60000)
        usage(("bad latency " + text).c_str());
      options.latency_ms = value;
    } else if (arg == "--demo")
      options.demo = true;
    else
      usage(("unknown argument " + arg).c_str());
  }
  return options;
}

void write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string services_ini(const sitesim::SimConfig& c, const std::string& ca_file) {
  const std::string& h = c.http_base;
  return "; Every address of the program, pointed at the local site simulator.\n"
         "[sites]\n"
         "engine1=" +
         h +
         "/e1/\n"
         "engine2=" +
         h +
         "/e2/\n"
         "engine3=" +
         h +
         "/e3\n"
         "engine4=" +
         h +
         "/e4/\n"
         "engine5=" +
         h +
         "/e5\n"
         "engine6=" +
         c.https_base +
         "/e6\n"
         "\n[server]\n"
         "info_page=" +
         h +
         "/qnvt/qnvt.html\n"
         "counter=" +
         h +
         "/count1/count.asp\n"
         "website=" +
         h +
         "/site\n"
         "group_join=" +
         h +
         "/group\n"
         "share_page=" +
         h +
         "/share\n"
         "manual_download=" +
         h +
         "/manual\n"
         "thunder_installer=" +
         h +
         "/thunder.exe\n"
         "xuanfeng_installer=" +
         h +
         "/xuanfeng.exe\n"
         "form_service=" +
         h +
         "/form\n"
         "form_token=simtoken\n"
         "connectivity_check=" +
         h +
         "/connectivity\n"
         "\n[tls]\n"
         "ca_file=" +
         ca_file + "\n";
}

// Must run before the server binds: the options apply to the listening socket.
void switch_off_nagle(httplib::Server& server) {
  // The server writes a response's head and body separately; with Nagle's
  // algorithm on, the body then waits for the client's delayed acknowledgement
  // (about 40 ms a request on a kept-alive connection). Linux hands the
  // listener's TCP_NODELAY on to every accepted socket, TLS ones included.
  server.set_socket_options([](socket_t sock) {
    httplib::default_socket_options(sock);
    const int one = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  });
}

void configure(httplib::Server& server, const sitesim::SimConfig& config,
               const std::string& own_base, bool demo) {
  server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  server.set_keep_alive_timeout(2);
  if (demo) {
    server.set_logger([own_base](const httplib::Request& req, const httplib::Response& res) {
      std::fprintf(stderr, "%s %s %s -> %d\n", own_base.c_str(), req.method.c_str(),
                   req.target.c_str(), res.status);
    });
  }
  sitesim::register_controls(server);
  sitesim::register_generic_routes(server, own_base);
  sitesim::register_program_server(server, config);
  sitesim::register_torrent_sites(server, config);
  sitesim::register_cloud_sites(server, config);
  sitesim::register_fault_sites(server, own_base);
  sitesim::register_update_and_form_sites(server, config);
}

int run(const Options& options) {
  namespace fs = std::filesystem;
  bool own_state_dir = options.state_dir.empty();
  fs::path state_dir = options.state_dir;
  if (own_state_dir) {
    std::string pattern = (fs::temp_directory_path() / "sitesim-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a state directory");
    state_dir = pattern;
  }
  fs::create_directories(state_dir);
  state_dir = fs::absolute(state_dir);

  sitesim::Credentials credentials = sitesim::make_credentials();
  const fs::path ca_file = state_dir / "ca.pem";
  const fs::path services_file = state_dir / "services.ini";
  write_file(ca_file, sitesim::to_pem(credentials.ca_cert.get()));
  write_file(state_dir / "server.pem", sitesim::to_pem(credentials.server_cert.get()));
  write_file(state_dir / "server-key.pem", sitesim::to_pem(credentials.server_key.get()));

  httplib::Server http;
  httplib::SSLServer https(credentials.server_cert.get(), credentials.server_key.get());
  if (!https.is_valid()) throw std::runtime_error("TLS server could not be set up");

  switch_off_nagle(http);
  switch_off_nagle(https);
  auto bind = [](httplib::Server& server, int port) {
    if (port == 0) return server.bind_to_any_port("127.0.0.1");
    return server.bind_to_port("127.0.0.1", port) ? port : -1;
  };
  int http_port = bind(http, options.http_port);
  int https_port = bind(https, options.https_port);
  if (http_port <= 0 || https_port <= 0) throw std::runtime_error("cannot listen on the port");
  sitesim::RawResponder raw;

  sitesim::set_latency_ms(options.latency_ms);
  sitesim::SimConfig config;
  config.http_base = "http://127.0.0.1:" + std::to_string(http_port);
  config.https_base = "https://127.0.0.1:" + std::to_string(https_port);
  configure(http, config, config.http_base, options.demo);
  configure(https, config, config.https_base, options.demo);
  write_file(services_file, services_ini(config, ca_file.string()));

  std::thread http_thread([&] { http.listen_after_bind(); });
  std::thread https_thread([&] { https.listen_after_bind(); });
  raw.start();

  std::printf("http_port=%d\nhttps_port=%d\nraw_port=%d\nca_file=%s\nservices_file=%s\nready\n",
              http_port, https_port, raw.port(), ca_file.c_str(), services_file.c_str());
  std::fflush(stdout);

  // Every other thread has SIGTERM and SIGINT blocked; this one waits for them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  int received = 0;
  while (sigwait(&signals, &received) != 0) {
  }

  std::thread([] {
    std::this_thread::sleep_for(kExitDeadline);
    std::fputs("sitesim: shutdown took too long, leaving now\n", stderr);
    std::_Exit(1);
  }).detach();
  sitesim::begin_shutdown();
  http.stop();
  https.stop();
  raw.stop();
  http_thread.join();
  https_thread.join();
  if (own_state_dir) {
    std::error_code ignored;
    fs::remove_all(state_dir, ignored);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parse(argc, argv);

  // A shell starts background jobs with SIGINT ignored, and an ignored signal
  // never reaches sigwait; restore the defaults, then block the stop signals
  // before any thread exists so only sigwait sees them.
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  // Never outlive the test or script that started us.
  pid_t parent = getppid();
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) return 0;

  try {
    return run(options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "sitesim: %s\n", error.what());
    return 1;
  }
}
