#include "server/feedback.h"

#include <cstdio>

#include "web/codec.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace trovix {

namespace {

constexpr std::string_view kSuccessMarker = "{\"r\":0}";

// JSON string contents from UTF-8 text: ASCII bytes in UTF-8 are always whole
// characters, so escaping after the conversion cannot split a character.
std::string json_escaped(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 16);
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04X", byte);
          out += escape;
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace

std::string contact_placeholder() { return std::string(21, ' ') + gbk("（QQ、微信、邮箱皆可）"); }
std::string content_placeholder() {
  return std::string(157, ' ') + gbk("如果您对软件有任何意见建议，请在此输入内容提交即可！");
}

bool contact_clears_on_click(std::string_view text) {
  return trim_text(text) == trim_text(contact_placeholder());
}
bool content_clears_on_click(std::string_view text) {
  return trim_text(text) == trim_text(content_placeholder());
}

std::string feedback_success_text() {
  return gbk("<<<数据提交成功，小编会不断对软件进行完善！\r\n  感谢您的支持！");
}
std::string feedback_failure_text() {
  return gbk("<<<数据提交结果：\r\n    数据提交失败，请直接点击上方联系作者！");
}
std::string feedback_empty_message() { return gbk("提交数据为空，请输入内容后重新提交！"); }
std::string feedback_empty_title() { return gbk("错误提示："); }

std::string feedback_document_utf8(std::string_view access_token, std::string_view content,
                                   std::string_view contact) {
  return "{\"cvs\":{\"i\":4168136,\"t\":\"jh3VmH\",\"s\":524434083,\"acc\":\"" +
         json_escaped(gbk_to_utf8(access_token)) + "\",\"r\":\"\",\"c\":{\"cp\":{\"1172499\":\"" +
         json_escaped(gbk_to_utf8(content)) + "\",\"200022177\":\"" +
         json_escaped(gbk_to_utf8(contact)) + "\"}}}}";
}

std::string feedback_body(std::string_view document_utf8) {
  return "d=" + url_encode(document_utf8, false, false);
}

FeedbackOutcome submit_feedback(const FeedbackService& service, std::string_view content,
                                std::string_view contact) {
  // The form page comes first on every press, before anything is checked; its
  // answer is not read, only its cookies are kept for the POST.
  std::string cookies;
  WebRequest(service.address + std::string(kFormPagePath), 0, {}, nullptr, &cookies, {}, nullptr,
             false, {}, {}, {}, {}, {}, service.timeout_seconds);
  // Blanks and line breaks alone are no suggestion either.
  if (content.find_first_not_of(" \t\r\n") == std::string_view::npos ||
      content == content_placeholder())
    return FeedbackOutcome::kEmptyData;
  const std::string body =
      feedback_body(feedback_document_utf8(service.access_token, content, contact));
  std::string status;
  const std::string answer =
      WebRequest(service.address + std::string(kSubmitPath), 1, body, &cookies, nullptr, {},
                 nullptr, true, {}, {}, {}, {}, {}, service.timeout_seconds, nullptr, &status);
  // An error status is a failure even when its page happens to hold the marker.
  const bool status_ok = !status.empty() && status[0] == '2';
  return status_ok && find_text(answer, kSuccessMarker) > 0 ? FeedbackOutcome::kSucceeded
                                                            : FeedbackOutcome::kFailed;
}

}  // namespace trovix
