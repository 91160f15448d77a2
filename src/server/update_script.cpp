#include "server/update_script.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "web/codec.h"

namespace trovix {

namespace {

// Inside double quotes a batch file still expands %…%, so a percent sign is doubled.
std::string batch_quoted(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

// Single quotes keep every byte as it is; a single quote itself ends the
// quoted part, is written escaped, and a new quoted part begins.
std::string shell_quoted(std::string_view name) {
  std::string out = "'";
  for (char c : name) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string joined_path(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '/') path += '/';
  return path.append(name);
}

}  // namespace

std::string windows_update_script(std::string_view run_directory,
                                  std::string_view program_file_name,
                                  std::string_view new_program_file) {
  const std::string program = batch_quoted(program_file_name);
  const std::string fresh = batch_quoted(new_program_file);
  return gbk("@echo off\r\n") + "cd /d " + batch_quoted(run_directory) + "\r\n" +
         gbk("@ ECHO.替换程序正在进行，请稍等\r\n@ ECHO.正在终止旧版本进程...\r\n") +
         "Taskkill /f /im " + program + "\r\n" + gbk("@ ECHO.结束进程中，请等待5秒钟！\r\n") +
         "ping 127.0.0.1 -n 2\r\nDel " + program + "\r\nren " + batch_quoted(kTemporaryFileName) +
         " " + fresh + "\r\nstart \"\" " + fresh + "\r\n" +
         gbk("@ ECHO.恭喜你，软件替换完成，启动软件中...\r\n") + "Del \"%~f0\"\r\nExit";
}

std::string linux_update_script(std::string_view run_directory, std::string_view program_file_name,
                                std::string_view new_program_file) {
  const std::string program = shell_quoted(program_file_name);
  const std::string fresh = shell_quoted(new_program_file);
  const std::string temporary = shell_quoted(kTemporaryFileName);
  std::string s;
  s += "#!/bin/sh\n";
  s += "cd " + shell_quoted(run_directory) + " || exit 1\n";
  s += "[ -f " + temporary + " ] || exit 1\n";
  s += "echo '替换程序正在进行，请稍等'\n";
  s += "echo '正在终止旧版本进程...'\n";
  s += "for p in /proc/[0-9]*; do\n";
  // -ef compares the files themselves (the shell's own test, no process per entry).
  s += "  if [ \"$p/exe\" -ef " + shell_quoted(joined_path(run_directory, program_file_name)) +
       " ]; then\n";
  s += "    kill -9 \"${p#/proc/}\" 2>/dev/null\n";
  s += "  fi\n";
  s += "done\n";
  s += "echo '结束进程中，请稍等！'\n";
  s += "sleep 1\n";
  s += "rm -f -- " + program + "\n";
  s += "mv -f -- " + temporary + " " + fresh + "\n";
  s += "chmod +x -- " + fresh + "\n";
  s += "echo '恭喜你，软件替换完成，启动软件中...'\n";
  s += "./" + fresh + " </dev/null >/dev/null 2>&1 &\n";
  s += "rm -f -- " + shell_quoted(kLinuxScriptName) + "\n";
  return s;
}

bool is_plain_program_name(std::string_view name) {
  if (name.empty() || name.size() > 200) return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
    if (std::string_view("/\\\"'%*?<>|:").find(c) != std::string_view::npos) return false;
  }
  // GBK bytes that do not stand for characters have no file-system spelling.
  if (utf8_to_gbk(gbk_to_utf8(name)) != name) return false;
  for (std::string_view own : {kTemporaryFileName, kLeftoverFileName, kWindowsScriptName,
                               kLinuxScriptName, std::string_view(".")})
    if (name == own) return false;
  return true;
}

bool folder_is_writable(const std::string& folder) {
  const std::string probe = joined_path(folder, ".trovix-probe-" + std::to_string(::getpid()));
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return ::unlink(probe.c_str()) == 0;
}

bool write_script_file(const std::string& path, std::string_view text) {
  ::unlink(path.c_str());  // a link or an older script in its place is not written through
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0700);
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ::close(fd) == 0 && ok;
  if (!ok) ::unlink(path.c_str());
  return ok;
}

bool start_update_script(const std::string& script_path, const std::string& run_directory) {
  // The grandchild reports a failed exec through a pipe that closes by itself
  // when the exec succeeds; the child in between only forks and leaves, so the
  // script is nobody's child and no zombie stays behind.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    // Only async-signal-safe calls from here on.
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    int error = 0;
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    if (::chdir(run_directory.c_str()) != 0) {
      error = errno;
    } else {
      ::execl("/bin/sh", "sh", script_path.c_str(), static_cast<char*>(nullptr));
      error = errno;
    }
    (void)!::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t n;
  do {
    n = ::read(report[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  ::close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

}  // namespace trovix
