#include "server/download_texts.h"

#include <cmath>
#include <cstdio>

#include "web/codec.h"

namespace trovix {

namespace {

// Halves away from zero, as every "rounded" number the window shows.
std::int64_t round_half_away(double value) { return std::llround(value); }

}  // namespace

std::string size_label_text(double total_size) {
  char number[64];
  std::snprintf(number, sizeof number, "%.13g", total_size / 1024.0);
  return gbk("文件尺寸：") + number + "KB";
}

int progress_percent(std::int64_t bytes_done, double total_size) {
  if (!(total_size > 0)) return 0;
  const double percent = static_cast<double>(bytes_done) / total_size * 100.0;
  if (percent <= 0) return 0;
  if (percent >= 100) return 100;
  return static_cast<int>(round_half_away(percent));
}

std::string progress_label_text(int percent) {
  return gbk("下载进度：") + std::to_string(percent) + "%";
}

std::string speed_label_text(std::int64_t bytes_per_second) {
  return gbk("下载速度：") +
         std::to_string(round_half_away(static_cast<double>(bytes_per_second) / 1024.0)) +
         gbk("kb/秒");
}

std::string download_started_separator() { return gbk("\r\n▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼\r\n\r\n"); }
std::string download_waiting_line() { return gbk("正在下载新版软件，请等待完成......\r\n"); }
std::string download_manual_hint_line() {
  return gbk("如若更新后打开仍提示更新，请点击右侧不能更新点我，手动下载最新版本！\r\n");
}
std::string download_complete_line() { return gbk("下载完成正在替换新版本内容！\r\n"); }
std::string replacing_line() { return gbk("正在替换新版本内容...\r\n"); }
std::string download_failed_line() {
  return gbk("下载失败，旧版本未作改动，请点击右侧不能更新点我，手动下载最新版本！\r\n");
}

std::string download_complete_title() { return gbk("温馨提示："); }
std::string download_complete_message() {
  return gbk("下载完成，请点击确认完成版本替换，此过程将持续10秒钟左右，请勿手动关闭窗口！");
}
std::string folder_not_writable_message() {
  return gbk(
      "程序所在的文件夹不能写入，无法自动更新。\r\n请点击“不能更新点我”，手动下载最新版本！");
}
std::string bad_program_name_message() {
  return gbk(
      "服务器给出的新版软件文件名无效，无法自动更新。\r\n请点击“不能更新点我”，手动下载最新版本！");
}
std::string script_failed_message() {
  return gbk(
      "替换脚本无法写入或启动，旧版本未作改动。\r\n请点击“不能更新点我”，手动下载最新版本！");
}

}  // namespace trovix
