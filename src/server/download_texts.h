// The texts the update window shows while the new program is downloaded: the
// size, progress and speed labels and the lines appended to the history box.
// Everything is GBK.
#pragma once

#include <cstdint>
#include <string>

namespace trovix {

// "文件尺寸：" + total ÷ 1024 written as "%.13g" + "KB" (1 000 000 → 976.5625).
std::string size_label_text(double total_size);
// bytes done ÷ total × 100, rounded with halves away from zero; 0 while the
// total is unknown (0 or less), so an unannounced size never divides by zero.
int progress_percent(std::int64_t bytes_done, double total_size);
// "下载进度：" + percent + "%".
std::string progress_label_text(int percent);
// "下载速度：" + bytes per second ÷ 1024 rounded (halves away from zero) + "kb/秒".
std::string speed_label_text(std::int64_t bytes_per_second);

// The history box's lines around a download, each ending in CR LF.
std::string download_started_separator();  // CR LF, 23 "▼", CR LF CR LF
std::string download_waiting_line();
std::string download_manual_hint_line();
std::string download_complete_line();
std::string replacing_line();
std::string download_failed_line();

// The message boxes of the self-update.
std::string download_complete_title();    // "温馨提示："
std::string download_complete_message();  // shown before the program is replaced
std::string folder_not_writable_message();
std::string bad_program_name_message();
std::string script_failed_message();

}  // namespace trovix
