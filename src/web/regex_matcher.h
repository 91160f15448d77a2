// One compiled pattern and the match list of one subject (GBK in, GBK out).
// Matching runs on characters: a two-byte GBK character is one character.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace trovix {

class RegexMatcher {
 public:
  RegexMatcher();
  ~RegexMatcher();
  RegexMatcher(const RegexMatcher&) = delete;
  RegexMatcher& operator=(const RegexMatcher&) = delete;

  // True when the search ran (even with no match); false when the pattern does
  // not compile.
  bool match(std::string_view pattern, std::string_view subject, bool case_sensitive = false,
             bool multiline = true, bool global_search = true, bool quote_macro = false);
  // Indexes from 1; anything out of range gives empty text.
  std::string submatch_text(int match_index, int group_index) const;
  std::string match_text(int match_index) const;
  int match_count() const;
  int group_count() const;
  std::string replace(std::string_view replacement) const;
  std::string pattern() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace trovix
