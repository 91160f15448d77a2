#include "web/regex_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "web/codec.h"

namespace trovix {

namespace {

// A page is untrusted input: these bound the work of one pcre2_match call, so
// a pattern that backtracks catastrophically over a long line gives up within
// a fraction of a second. A real result page stays far below them.
constexpr std::uint32_t kMatchLimit = 5'000'000;
// The limit above counts per start position (without JIT, and for some
// patterns with it), so a page with many start positions could still cost
// far more. All the matching over one subject therefore shares this budget:
// it is checked at every start position, and once it is spent the match list
// ends there, as if nothing further matched.
constexpr std::chrono::milliseconds kSubjectBudget{500};
constexpr std::uint32_t kDepthLimit = 100'000;
constexpr std::uint32_t kHeapLimitKib = 64 * 1024;
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 1024 * 1024;
// Engines reuse one or two patterns per object; the bound only matters for a
// caller that feeds ever new patterns to one object.
constexpr std::size_t kCacheLimit = 16;
// Every subject comes out of gbk_to_utf8, which writes valid UTF-8 whatever
// bytes it is given (U+FFFD for what is not GBK). PCRE2 would otherwise check
// the whole subject again on every call of the global loop.
constexpr std::uint32_t kTrustedUtf8 = PCRE2_NO_UTF_CHECK;

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// ASCII is the same in GBK and UTF-8, and most captured groups (dates, sizes,
// links) are ASCII: those skip the converter.
std::string to_utf8(std::string_view gbk_text) {
  return is_ascii(gbk_text) ? std::string(gbk_text) : gbk_to_utf8(gbk_text);
}

std::string to_gbk(std::string_view utf8_text) {
  return is_ascii(utf8_text) ? std::string(utf8_text) : utf8_to_gbk(utf8_text);
}

std::string expand_quote_macro(std::string_view pattern) {
  static const std::string macro = gbk("#引号");
  std::string out;
  out.reserve(pattern.size());
  // '#' is ASCII and never the second byte of a GBK character, so a byte
  // comparison from each '#' is a character comparison.
  for (std::size_t i = 0; i < pattern.size();) {
    if (pattern.compare(i, macro.size(), macro) == 0) {
      out += '"';
      i += macro.size();
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

enum class CompileFlag : char { caseless = 1, multiline = 2 };

// The pattern with a callout in front, which PCRE2 calls at every start
// position it tries. A pattern that cannot be wrapped as a whole (one that
// starts with a "(*...)" setting, or ends inside "\Q" or a comment) makes
// this fail to compile.
std::string with_start_callout(std::string_view utf8_pattern) {
  std::string wrapped = "(?C1)(?:";
  wrapped += utf8_pattern;
  wrapped += ')';
  return wrapped;
}

using Deadline = std::chrono::steady_clock::time_point;

int check_budget(pcre2_callout_block*, void* data) {
  const Deadline& deadline = *static_cast<const Deadline*>(data);
  return std::chrono::steady_clock::now() < deadline ? 0 : PCRE2_ERROR_CALLOUT;
}

}  // namespace

struct RegexMatcher::State {
  struct Compiled {
    std::unique_ptr<pcre2_code, CodeFree> code;
    std::uint32_t capture_count = 0;
  };

  std::unique_ptr<pcre2_compile_context, CompileContextFree> compile_context{
      pcre2_compile_context_create(nullptr)};
  std::unique_ptr<pcre2_match_context, MatchContextFree> match_context{
      pcre2_match_context_create(nullptr)};
  std::unique_ptr<pcre2_jit_stack, JitStackFree> jit_stack;
  std::unique_ptr<pcre2_match_data, MatchDataFree> match_data;
  RegexRuntime runtime = RegexRuntime::jit_when_available;
  std::uint32_t match_data_pairs = 0;
  Deadline deadline;  // of the subject being matched; read by check_budget

  // Keyed by the compile flags byte followed by the GBK pattern.
  std::unordered_map<std::string, Compiled> cache;

  // The last match: null `current` means there is no match list.
  const Compiled* current = nullptr;
  std::string pattern;  // GBK, as used (macro expanded)
  std::string subject;  // UTF-8
  bool global = true;
  // (capture_count + 1) start/end pairs per match, into `subject`.
  std::vector<PCRE2_SIZE> offsets;
  std::size_t matches = 0;

  State() {
    if (compile_context) pcre2_set_newline(compile_context.get(), PCRE2_NEWLINE_LF);
    if (match_context) {
      pcre2_set_match_limit(match_context.get(), kMatchLimit);
      pcre2_set_depth_limit(match_context.get(), kDepthLimit);
      pcre2_set_heap_limit(match_context.get(), kHeapLimitKib);
      pcre2_set_callout(match_context.get(), check_budget, &deadline);
    }
  }

  const Compiled* compile(const std::string& key) {
    if (auto found = cache.find(key); found != cache.end()) return &found->second;
    const std::string utf8 = to_utf8(std::string_view(key).substr(1));
    // Without multiline, "$" is the very end of the text, not also the place
    // before a final line feed.
    std::uint32_t options = PCRE2_UTF | PCRE2_DOLLAR_ENDONLY;
    if (key[0] & static_cast<char>(CompileFlag::caseless)) options |= PCRE2_CASELESS;
    if (key[0] & static_cast<char>(CompileFlag::multiline)) options |= PCRE2_MULTILINE;
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    Compiled compiled;
    auto compile_text = [&](const std::string& text) {
      return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), options, &error,
                           &error_offset, compile_context.get());
    };
    compiled.code.reset(compile_text(utf8));
    if (!compiled.code) return nullptr;
    if (runtime == RegexRuntime::jit_when_available &&
        pcre2_jit_compile(compiled.code.get(), PCRE2_JIT_COMPLETE) == 0) {
      if (!jit_stack) {
        jit_stack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
        if (jit_stack && match_context)
          pcre2_jit_stack_assign(match_context.get(), nullptr, jit_stack.get());
      }
    } else if (pcre2_code* wrapped = compile_text(with_start_callout(utf8))) {
      // The interpreter pays for every start position in full: it runs the
      // wrapped form, which checks the subject's budget at each of them. (The
      // JIT code skips most of that work on its own, and a callout in front
      // would cost it those shortcuts, so it runs the pattern as given.) A
      // pattern that cannot be wrapped runs as given.
      compiled.code.reset(wrapped);
    }
    pcre2_pattern_info(compiled.code.get(), PCRE2_INFO_CAPTURECOUNT, &compiled.capture_count);
    if (cache.size() >= kCacheLimit) cache.clear();
    return &cache.emplace(key, std::move(compiled)).first->second;
  }

  bool ensure_match_data(std::uint32_t pairs) {
    if (match_data && match_data_pairs >= pairs) return true;
    match_data.reset(pcre2_match_data_create(pairs, nullptr));
    match_data_pairs = match_data ? pairs : 0;
    return match_data != nullptr;
  }

  // Moves past one UTF-8 character; the subject is known to be valid UTF-8.
  PCRE2_SIZE next_character(PCRE2_SIZE at) const {
    ++at;
    while (at < subject.size() && (static_cast<unsigned char>(subject[at]) & 0xC0) == 0x80) ++at;
    return at;
  }

  void run(bool global_search) {
    const auto* code = current->code.get();
    const std::uint32_t pairs = current->capture_count + 1;
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const PCRE2_SIZE length = subject.size();
    deadline = std::chrono::steady_clock::now() + kSubjectBudget;
    std::uint32_t retry = 0;
    PCRE2_SIZE offset = 0;
    while (offset <= length) {
      const int rc = pcre2_match(code, text, length, offset, retry | kTrustedUtf8, match_data.get(),
                                 match_context.get());
      if (rc == PCRE2_ERROR_NOMATCH && retry != 0) {
        // No non-empty match where the empty one was: step one character on.
        retry = 0;
        offset = next_character(offset);
        continue;
      }
      // No match, a limit, the spent budget or any other error: the list
      // ends here.
      if (rc < 0) return;
      // A page with a great many matches spends the budget between calls.
      if (std::chrono::steady_clock::now() >= deadline) return;
      const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(match_data.get());
      // \K in a lookahead can report a start after the end; such a match has
      // no text to keep and no sane place to continue from.
      if (vector[0] > vector[1]) return;
      const auto set = static_cast<std::uint32_t>(rc);
      for (std::uint32_t pair = 0; pair < pairs; ++pair) {
        offsets.push_back(pair < set ? vector[2 * pair] : PCRE2_UNSET);
        offsets.push_back(pair < set ? vector[2 * pair + 1] : PCRE2_UNSET);
      }
      ++matches;
      if (!global_search) return;
      offset = vector[1];
      // After an empty match, look for a non-empty one at the same place
      // before moving on, so the loop always advances.
      retry = vector[0] == vector[1] ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
      if (retry != 0 && offset == length) return;
    }
  }

  std::string group(int match_index, int group_index) const {
    if (!current || match_index < 1 || group_index < 0) return {};
    const auto match = static_cast<std::size_t>(match_index);
    const auto index = static_cast<std::uint32_t>(group_index);
    if (match > matches || index > current->capture_count) return {};
    const std::size_t at = ((match - 1) * (current->capture_count + 1) + index) * 2;
    const PCRE2_SIZE start = offsets[at];
    const PCRE2_SIZE end = offsets[at + 1];
    if (start == PCRE2_UNSET || end < start) return {};
    return to_gbk(std::string_view(subject).substr(start, end - start));
  }
};

RegexMatcher::RegexMatcher(RegexRuntime runtime) : state_(std::make_unique<State>()) {
  state_->runtime = runtime;
}

RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::match(std::string_view pattern, std::string_view subject, bool case_sensitive,
                         bool multiline, bool global_search, bool quote_macro) {
  State& s = *state_;
  s.current = nullptr;
  s.offsets.clear();
  s.matches = 0;
  s.subject.clear();
  s.global = global_search;
  s.pattern = quote_macro ? expand_quote_macro(pattern) : std::string(pattern);
  if (!s.compile_context || !s.match_context) return false;

  char flags = 0;
  if (!case_sensitive) flags |= static_cast<char>(CompileFlag::caseless);
  if (multiline) flags |= static_cast<char>(CompileFlag::multiline);
  std::string key;
  key.reserve(s.pattern.size() + 1);
  key += flags;
  key += s.pattern;
  const State::Compiled* compiled = s.compile(key);
  if (!compiled || !s.ensure_match_data(compiled->capture_count + 1)) return false;

  s.current = compiled;
  s.subject = gbk_to_utf8(subject);
  s.run(global_search);
  return true;
}

std::string RegexMatcher::submatch_text(int match_index, int group_index) const {
  if (group_index < 1) return {};
  return state_->group(match_index, group_index);
}

std::string RegexMatcher::match_text(int match_index) const {
  return state_->group(match_index, 0);
}

int RegexMatcher::match_count() const { return static_cast<int>(state_->matches); }

int RegexMatcher::group_count() const {
  const State& s = *state_;
  return s.current && s.matches > 0 ? static_cast<int>(s.current->capture_count) : 0;
}

std::string RegexMatcher::replace(std::string_view replacement) const {
  State& s = *state_;
  if (!s.current) return {};
  const std::string utf8_replacement = to_utf8(replacement);
  std::uint32_t options = PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | PCRE2_SUBSTITUTE_UNSET_EMPTY;
  if (s.global) options |= PCRE2_SUBSTITUTE_GLOBAL;
  options |= kTrustedUtf8;
  s.deadline = std::chrono::steady_clock::now() + kSubjectBudget;
  std::string out(s.subject.size() + utf8_replacement.size() + 64, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    PCRE2_SIZE out_length = out.size();
    const int rc = pcre2_substitute(
        s.current->code.get(), reinterpret_cast<PCRE2_SPTR>(s.subject.data()), s.subject.size(), 0,
        options, nullptr, s.match_context.get(),
        reinterpret_cast<PCRE2_SPTR>(utf8_replacement.data()), utf8_replacement.size(),
        reinterpret_cast<PCRE2_UCHAR*>(out.data()), &out_length);
    if (rc >= 0) {
      out.resize(out_length);
      return to_gbk(out);
    }
    if (rc != PCRE2_ERROR_NOMEMORY) return {};
    // The first pass reported the length it needs, terminating zero included.
    out.assign(out_length, '\0');
  }
  return {};
}

std::string RegexMatcher::pattern() const { return state_->pattern; }

}  // namespace trovix
