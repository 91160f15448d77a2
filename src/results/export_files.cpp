#include "results/export_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "web/gbk_scan.h"

namespace trovix {

ListSnapshot snapshot_list(ResultsList& list) {
  ListSnapshot snapshot;
  list.run_atomically([&](ResultsList& rows) {
    const int columns = rows.column_count();
    const int count = rows.row_count();
    snapshot.headers.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) snapshot.headers.push_back(rows.header_text(c));
    snapshot.rows.resize(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
      auto& cells = snapshot.rows[static_cast<std::size_t>(r)];
      cells.reserve(static_cast<std::size_t>(columns));
      for (int c = 0; c < columns; ++c) cells.push_back(rows.cell_text(r, c));
    }
  });
  return snapshot;
}

std::string text_file_bytes(const ListSnapshot& list) {
  std::size_t size = 0;
  for (const auto& row : list.rows) {
    for (const std::string& cell : row) size += cell.size() + 1;
    size += 2;
  }
  std::string out;
  out.reserve(size);
  for (const auto& row : list.rows) {
    for (const std::string& cell : row) {
      out += cell;
      out += ',';
    }
    out += "\r\n";
  }
  return out;
}

std::string_view cut_cell(std::string_view text) {
  constexpr std::size_t limit = 259;
  if (text.size() <= limit) return text;
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + scan::character_size(text, end);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

std::optional<std::string> html_table_bytes(const ListSnapshot& list, bool with_header) {
  if (list.rows.empty() && list.headers.empty()) return std::nullopt;
  std::string out;
  out.reserve(64 + list.rows.size() * (16 + list.headers.size() * 48));
  auto line = [&out](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    out += a;
    out += b;
    out += c;
    out += "\r\n";
  };
  line("<table border=\"1\">");
  if (with_header && !list.headers.empty()) {
    line("  <tr>");
    for (const std::string& header : list.headers) line("    <th>", cut_cell(header), "</th>");
    line("  </tr>");
  }
  for (const auto& row : list.rows) {
    line("  <tr>");
    for (const std::string& cell : row) line("    <td>", cut_cell(cell), "</td>");
    line("  </tr>");
  }
  line("</table>");
  return out;
}

bool write_file_atomically(const std::filesystem::path& path, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
  if (path.filename().empty()) return false;
  // A new file with the usual permissions (0666 less the umask), unique to
  // this process and call; O_EXCL refuses anything that already stands there.
  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    // Built by appending: GCC's -Wrestrict misfires on "." + string chains.
    std::string name(1, '.');
    name.append(path.filename().string());
    name.append(1, '.').append(std::to_string(::getpid()));
    name.append(1, '.').append(std::to_string(counter++)).append(".tmp");
    temporary = folder / name;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (ok && left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      ok = false;
      break;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

bool export_text_file(ResultsList& list, const std::filesystem::path& path) {
  return write_file_atomically(path, text_file_bytes(snapshot_list(list)));
}

bool export_html_table(ResultsList& list, const std::filesystem::path& path, bool with_header) {
  const std::optional<std::string> bytes = html_table_bytes(snapshot_list(list), with_header);
  return bytes && write_file_atomically(path, *bytes);
}

std::filesystem::path with_extension_appended(const std::filesystem::path& chosen,
                                              std::string_view extension) {
  std::filesystem::path out = chosen;
  out += std::string(extension);
  return out;
}

}  // namespace trovix
