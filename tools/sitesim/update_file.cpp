// The new program file that the self-update downloads, in every shape a
// download can take: announced or unannounced size, cut short, stalled, an
// error status, or a small shell program that really runs when started.
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "update_form_sites.h"

namespace sitesim {

namespace {

// The stand-in program a test can start: it notes in its own folder that it ran.
constexpr const char* kShellProgram =
    "#!/bin/sh\necho new-version-started > new_program_started.txt\n";

// Byte `at` of the default file: "MZ" first, then a fixed pattern.
char file_byte(std::size_t at) {
  if (at == 0) return 'M';
  if (at == 1) return 'Z';
  return static_cast<char>(at * 31 % 251);
}

struct FileShape {
  std::size_t size = 1000000;
  bool announced = true;  // Content-Length, else chunked
  bool cut = false;       // connection dropped half-way
  bool stall = false;     // half sent, then nothing until shutdown (or `seconds`)
  long long stall_seconds = 30;
  std::string program;   // "sh": the file is kShellProgram
  std::size_t rate = 0;  // bytes per second; 0: as fast as the connection goes
};

FileShape shape_of(const httplib::Request& req) {
  FileShape shape;
  if (req.has_param("bytes"))
    shape.size = std::min<std::size_t>(
        std::strtoull(req.get_param_value("bytes").c_str(), nullptr, 10), std::size_t{1} << 30);
  shape.announced = req.get_param_value("size") != "unknown";
  shape.cut = req.get_param_value("cut") == "1";
  shape.stall = req.get_param_value("stall") == "1";
  if (req.has_param("seconds"))
    shape.stall_seconds =
        std::clamp<long long>(std::atoll(req.get_param_value("seconds").c_str()), 0, 3600);
  shape.program = req.get_param_value("program");
  if (req.has_param("rate"))
    shape.rate = std::strtoull(req.get_param_value("rate").c_str(), nullptr, 10);
  if (shape.program == "sh") shape.size = std::char_traits<char>::length(kShellProgram);
  return shape;
}

// Writes the part of the file from `offset` on; false drops the connection.
bool write_part(const FileShape& shape, std::size_t offset, std::size_t length,
                httplib::DataSink& sink) {
  if (offset >= shape.size) {
    if (!shape.announced) sink.done();
    return true;
  }
  if ((shape.cut || shape.stall) && offset >= shape.size / 2) {
    if (shape.cut) return false;
    sleep_unless_stopping(std::chrono::seconds(shape.stall_seconds));
    return false;
  }
  std::size_t piece = std::min<std::size_t>(length, 64 * 1024);
  if (shape.rate > 0) {
    // A tenth of a second's worth at a time.
    piece = std::min(piece, std::max<std::size_t>(shape.rate / 10, 1));
    if (offset > 0 && !sleep_unless_stopping(std::chrono::milliseconds(100))) return false;
  }
  std::size_t end = std::min(shape.size, offset + piece);
  if ((shape.cut || shape.stall) && offset < shape.size / 2) end = std::min(end, shape.size / 2);
  std::string chunk;
  if (shape.program == "sh") {
    chunk.assign(kShellProgram + offset, end - offset);
  } else {
    chunk.resize(end - offset);
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = file_byte(offset + i);
  }
  return sink.write(chunk.data(), chunk.size());
}

}  // namespace

void register_update_file(httplib::Server& server) {
  // ?bytes=N size (default 1000000), ?size=unknown no Content-Length (chunked),
  // ?cut=1 connection dropped half-way, ?stall=1 half sent then silence for
  // ?seconds=N (default 30, ended by shutdown), ?status=N that status instead,
  // ?program=sh a two-line shell program, ?rate=N at most N bytes a second.
  server.Get("/update/trovix_new.exe", [](const httplib::Request& req, httplib::Response& res) {
    if (req.has_param("status")) {
      res.status = std::clamp(std::atoi(req.get_param_value("status").c_str()), 200, 599);
      res.set_content("<h1>" + std::to_string(res.status) + "</h1>", "text/html");
      return;
    }
    const FileShape shape = shape_of(req);
    if (shape.announced) {
      res.set_content_provider(
          shape.size, "application/octet-stream",
          [shape](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return write_part(shape, offset, length, sink);
          });
    } else {
      res.set_chunked_content_provider("application/octet-stream",
                                       [shape](std::size_t offset, httplib::DataSink& sink) {
                                         return write_part(shape, offset, 64 * 1024, sink);
                                       });
    }
  });
}

void register_update_and_form_sites(httplib::Server& server, const SimConfig&) {
  register_update_file(server);
  register_form_service(server);
}

}  // namespace sitesim
