// The shared text operations. Text is GBK bytes in std::string; lengths and
// positions count bytes, positions start at 1 and a failed search gives -1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trovix {

// Byte data that may hold zero bytes (text never does).
using Bytes = std::string;

int text_length(std::string_view text);
int find_text(std::string_view text, std::string_view search, int start = 1,
              bool case_insensitive = false);
std::string text_mid(std::string_view text, int start, int length);
std::string text_left(std::string_view text, int count);
std::string text_right(std::string_view text, int count);
// count -1 (or omitted) replaces every occurrence.
std::string replace_text(std::string_view text, std::string_view find,
                         std::string_view replacement = {}, int start = 1, int count = -1,
                         bool case_sensitive = false);
// max_count -1 (or omitted) means unlimited.
std::vector<std::string> split_text(std::string_view text, std::string_view delimiter = ",",
                                    int max_count = -1);
std::string trim_text(std::string_view text);
std::string remove_spaces(std::string_view text);
int compare_text(std::string_view a, std::string_view b, bool case_sensitive = true);
std::string to_lower(std::string_view text);
std::string to_upper(std::string_view text);
double to_number(std::string_view text);
std::int32_t to_int(std::string_view text);
std::string number_to_text(std::int64_t value);
std::string number_to_text(int value);
std::string number_to_text(double value);
std::string text_of_byte(int value);
std::string hex_text(std::int64_t value);
Bytes text_to_bytes(std::string_view text);
std::string bytes_to_text(std::string_view bytes);

}  // namespace trovix
