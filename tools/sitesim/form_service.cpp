// The online form service the feedback form posts to. The form page sets a
// session cookie; the submit handler answers {"r":0} only to a body "d=" +
// percent-encoded valid JSON that carries the form's token, sent with a cookie
// the form page issued, and records what it received. Modes in front of the
// form's paths (/form/MODE/jh3VmH, /form/MODE/handler/...) give the answers a
// client must cope with: "wrapped" (the success marker inside a longer text),
// "fail" (always the failure answer), "error" (status 500), "stall" (the
// submit answers after ?seconds=N, default 30, or at shutdown).
#include <httplib.h>

#include <cctype>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "catalogue.h"
#include "update_form_sites.h"

namespace sitesim {

namespace {

// A small, strict JSON checker: the form service refuses a document that is
// not valid JSON, which is what a client that forgets to escape runs into.
class JsonChecker {
 public:
  explicit JsonChecker(std::string_view text) : text_(text) {}
  bool valid() {
    skip_space();
    if (!value()) return false;
    skip_space();
    return at_ == text_.size();
  }

 private:
  bool value() {
    if (++depth_ > 64) return false;
    bool ok = false;
    if (at_ >= text_.size()) return false;
    char c = text_[at_];
    if (c == '{')
      ok = object();
    else if (c == '[')
      ok = array();
    else if (c == '"')
      ok = string();
    else if (c == '-' || (c >= '0' && c <= '9'))
      ok = number();
    else
      ok = word("true") || word("false") || word("null");
    --depth_;
    return ok;
  }
  bool object() {
    ++at_;
    skip_space();
    if (peek('}')) return ++at_, true;
    for (;;) {
      skip_space();
      if (!string()) return false;
      skip_space();
      if (!peek(':')) return false;
      ++at_;
      skip_space();
      if (!value()) return false;
      skip_space();
      if (peek('}')) return ++at_, true;
      if (!peek(',')) return false;
      ++at_;
    }
  }
  bool array() {
    ++at_;
    skip_space();
    if (peek(']')) return ++at_, true;
    for (;;) {
      skip_space();
      if (!value()) return false;
      skip_space();
      if (peek(']')) return ++at_, true;
      if (!peek(',')) return false;
      ++at_;
    }
  }
  bool string() {
    if (!peek('"')) return false;
    ++at_;
    while (at_ < text_.size()) {
      unsigned char c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') continue;
      if (at_ >= text_.size()) return false;
      char e = text_[at_++];
      if (e == 'u') {
        for (int i = 0; i < 4; ++i, ++at_)
          if (at_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_])))
            return false;
      } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
        return false;
      }
    }
    return false;
  }
  bool number() {
    std::size_t start = at_;
    if (peek('-')) ++at_;
    std::size_t digits = at_;
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    if (at_ == digits) return false;
    if (peek('.')) {
      ++at_;
      std::size_t frac = at_;
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
      if (at_ == frac) return false;
    }
    if (peek('e') || peek('E')) {
      ++at_;
      if (peek('+') || peek('-')) ++at_;
      std::size_t exp = at_;
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
      if (at_ == exp) return false;
    }
    return at_ > start;
  }
  bool word(std::string_view w) {
    if (text_.substr(at_, w.size()) != w) return false;
    at_ += w.size();
    return true;
  }
  bool peek(char c) const { return at_ < text_.size() && text_[at_] == c; }
  void skip_space() {
    while (at_ < text_.size() &&
           std::string_view(" \t\r\n").find(text_[at_]) != std::string_view::npos)
      ++at_;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int depth_ = 0;
};

struct FormState {
  std::mutex mutex;
  std::set<std::string> issued_cookies;
  int pages = 0;
  int posts = 0;
  std::string last_cookie;
  std::string last_document;
  std::string last_body;
};

// The cookie header carries one of the sessions the form page handed out.
bool carries_issued_cookie(const FormState& form, const std::string& cookie_header) {
  std::size_t at = 0;
  while (at < cookie_header.size()) {
    std::size_t end = cookie_header.find(';', at);
    if (end == std::string::npos) end = cookie_header.size();
    std::string pair = cookie_header.substr(at, end - at);
    const std::size_t first = pair.find_first_not_of(' ');
    pair = first == std::string::npos ? "" : pair.substr(first);
    if (form.issued_cookies.count(pair) != 0) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

void register_form_service(httplib::Server& server) {
  auto form = std::make_shared<FormState>();
  server.Get(R"(/form(?:/(\w+))?/jh3VmH)", [form](const httplib::Request&, httplib::Response& res) {
    std::string cookie;
    {
      std::lock_guard lock(form->mutex);
      ++form->pages;
      cookie = "formsid=sim" + std::to_string(form->pages);
      form->issued_cookies.insert(cookie);
    }
    res.set_header("Set-Cookie", cookie + "; path=/");
    res.set_content(to_gbk("<html><head><meta charset=gbk><title>意见反馈表单</title></head>"
                           "<body><h1>意见反馈表单</h1></body></html>"),
                    "text/html; charset=gbk");
  });
  server.Post(
      R"(/form(?:/(\w+))?/handler/web/form_runtime/handleSubmit.php)",
      // Read through a content reader: cpp-httplib refuses form bodies over
      // 8 KB before a plain handler runs, and a long suggestion is longer.
      [form](const httplib::Request& req, httplib::Response& res,
             const httplib::ContentReader& content_reader) {
        std::string posted;
        content_reader([&posted](const char* data, std::size_t length) {
          posted.append(data, length);
          return posted.size() <= (std::size_t{16} << 20);
        });
        const std::string mode = req.matches.size() > 1 ? req.matches[1].str() : "";
        const std::string cookie = req.get_header_value("Cookie");
        bool ok = posted.rfind("d=", 0) == 0;
        std::string document = ok ? url_decode_utf8(std::string_view(posted).substr(2), false) : "";
        ok = ok && JsonChecker(document).valid() &&
             document.find("\"acc\":\"simtoken\"") != std::string::npos;
        {
          std::lock_guard lock(form->mutex);
          ++form->posts;
          ok = ok && carries_issued_cookie(*form, cookie);
          form->last_cookie = cookie;
          form->last_document = document;
          form->last_body = posted;
        }
        if (mode == "stall") {
          long long seconds = 30;
          if (req.has_param("seconds"))
            seconds = std::atoll(req.get_param_value("seconds").c_str());
          sleep_unless_stopping(std::chrono::seconds(seconds));
        }
        if (mode == "error") {
          res.status = 500;
          res.set_content(R"({"r":0})",
                          "application/json");  // the marker, but a failed status
          return;
        }
        if (mode == "fail") ok = false;
        std::string answer = ok ? R"({"r":0})" : R"({"r":1,"msg":"invalid form data"})";
        if (mode == "wrapped" && ok)
          answer = R"({"status":"done","result":{"r":0},"msg":"submitted"})";
        res.set_content(answer, "application/json");
      });
  // What the form service has seen, for tests: page fetches and posts so far,
  // then the last post's cookie, decoded document (UTF-8) and raw body.
  server.Get("/form/last", [form](const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(form->mutex);
    res.set_content("PAGES " + std::to_string(form->pages) + "\nPOSTS " +
                        std::to_string(form->posts) + "\nCOOKIE " + form->last_cookie +
                        "\nDOCUMENT " + form->last_document + "\nBODY " + form->last_body + "\n",
                    "text/plain; charset=utf-8");
  });
}

}  // namespace sitesim
