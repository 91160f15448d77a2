// The text operations over arbitrary bytes and arguments, with the properties
// every caller relies on: results stay inside the text, positions are 1-based
// character starts, nothing reads past the end.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "web/text_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int start = input.ConsumeIntegralInRange<int>(-3, 300);
  const int count = input.ConsumeIntegralInRange<int>(-3, 300);
  const bool flag = input.ConsumeBool();
  const std::string search = input.ConsumeRandomLengthString(16);
  const std::string other = input.ConsumeRandomLengthString(16);
  const std::string text = input.ConsumeRemainingBytesAsString();
  const int length = trovix::text_length(text);

  const int found = trovix::find_text(text, search, start, flag);
  FUZZ_CHECK(found == -1 || (found >= 1 && found <= length));
  if (found != -1 && !search.empty() && !flag)
    FUZZ_CHECK(text.compare(found - 1, search.size(), search) == 0);

  FUZZ_CHECK(trovix::text_mid(text, start, count).size() <=
             static_cast<std::size_t>(std::max(count, 0)));
  FUZZ_CHECK(trovix::text_left(text, count).size() <= text.size());
  FUZZ_CHECK(trovix::text_right(text, count).size() <= text.size());

  const std::string replaced = trovix::replace_text(text, search, other, start, count, flag);
  if (search.empty() || count == 0) FUZZ_CHECK(replaced == text);

  const auto pieces = trovix::split_text(text, search, count);
  if (count > 0) FUZZ_CHECK(pieces.size() <= static_cast<std::size_t>(count));
  std::size_t piece_bytes = 0;
  for (const std::string& piece : pieces) piece_bytes += piece.size();
  FUZZ_CHECK(piece_bytes <= text.size());

  const std::string trimmed = trovix::trim_text(text);
  FUZZ_CHECK(trimmed.size() <= text.size());
  FUZZ_CHECK(trovix::trim_text(trimmed) == trimmed);
  const std::string spaceless = trovix::remove_spaces(text);
  FUZZ_CHECK(trovix::remove_spaces(spaceless) == spaceless);

  const int order = trovix::compare_text(text, other, flag);
  const int reverse = trovix::compare_text(other, text, flag);
  FUZZ_CHECK((order < 0) == (reverse > 0) && (order == 0) == (reverse == 0));
  FUZZ_CHECK(trovix::compare_text(text, text, flag) == 0);

  FUZZ_CHECK(trovix::to_lower(text).size() == text.size());
  FUZZ_CHECK(trovix::to_upper(text).size() == text.size());
  const double number = trovix::to_number(text);
  (void)trovix::number_to_text(number);
  (void)trovix::number_to_text(trovix::to_int(text));
  (void)trovix::hex_text(static_cast<std::int64_t>(found) * count);
  FUZZ_CHECK(trovix::text_of_byte(start).size() <= 1);
  FUZZ_CHECK(trovix::bytes_to_text(trovix::text_to_bytes(text)).size() <= text.size());
  return 0;
}
