// One compiled pattern and the match list of one subject (GBK in, GBK out).
// Matching runs on characters: a two-byte GBK character is one character.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace trovix {

// Finds the charset a page declares in its head; group 1 is the charset name.
inline constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// Which PCRE2 runtime matches: the JIT whenever it can compile the pattern
// (the program), or always the interpreter (tests and fuzzing of that path).
enum class RegexRuntime { jit_when_available, interpreter };

// The dialect: "." matches any character but a line feed (a carriage return is
// ordinary), "\w" is ASCII, ^ and $ also match at line feeds when multiline is
// on. Matching stops quietly at its step limits and once the matching of one
// subject has taken half a second, so a hostile page yields the matches found
// before then instead of holding the calling thread (and Pause) up.
class RegexMatcher {
 public:
  explicit RegexMatcher(RegexRuntime runtime = RegexRuntime::jit_when_available);
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
  // The last subject with the matches replaced (PCRE2 syntax: $1, ${1}, $$);
  // empty text when there is no match list or the replacement is invalid.
  std::string replace(std::string_view replacement) const;
  std::string pattern() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace trovix
