// The feedback form of the About page without its window: the placeholders and
// their click rules, the JSON document and request body, and the press of
// "提交" (form page first, the empty-data checks, the POST, the answer).
// Texts are GBK unless a name says UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace trovix {

// Where the form lives at the service and how it is identified there.
struct FeedbackService {
  std::string address;  // scheme and host (and any base path); the paths follow
  std::string access_token;
  int timeout_seconds = 0;  // each request's time-out; 0: WebRequest's own
};

inline constexpr std::string_view kFormPagePath = "/jh3VmH";
inline constexpr std::string_view kSubmitPath = "/handler/web/form_runtime/handleSubmit.php";

std::string contact_placeholder();  // 21 blanks + "（QQ、微信、邮箱皆可）"
std::string
content_placeholder();  // 157 blanks + "如果您对软件有任何意见建议，请在此输入内容提交即可！"
// Clicking into a box empties it when its trimmed text is its placeholder's.
bool contact_clears_on_click(std::string_view text);
bool content_clears_on_click(std::string_view text);

std::string feedback_success_text();
std::string feedback_failure_text();
std::string feedback_empty_message();  // "提交数据为空，请输入内容后重新提交！"
std::string feedback_empty_title();    // "错误提示："

// The document, UTF-8, without blanks, keys in their fixed order. The texts go
// in untrimmed; quotes, backslashes and control characters are escaped as JSON
// requires, so the document is valid whatever the boxes hold.
std::string feedback_document_utf8(std::string_view access_token, std::string_view content,
                                   std::string_view contact);
// "d=" + every byte of the UTF-8 document as "%XX".
std::string feedback_body(std::string_view document_utf8);

enum class FeedbackOutcome {
  kEmptyData,  // show feedback_empty_message(); nothing was posted
  kSucceeded,  // the content box gets feedback_success_text()
  kFailed,     // the content box gets feedback_failure_text()
};

// One press of "提交", blocking: fetches the form page (keeping its cookies),
// checks the content, posts the document with those cookies and no redirect,
// and reads the answer. Run it off the user-interface thread; its requests are
// abandoned when the calling thread's ScopedRequestCancel token is stopped.
FeedbackOutcome submit_feedback(const FeedbackService& service, std::string_view content,
                                std::string_view contact);

}  // namespace trovix
