// The feedback document and body, and one press of "提交" against the
// simulator's form service, which records what it received.
#include "server/feedback.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {
namespace {

using testing::SiteSimulator;

std::string hex_all(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) out += {'%', kHex[c >> 4], kHex[c & 15]};
  return out;
}

TEST(FeedbackDocument, KeysInOrderTextsUntrimmedAndEveryByteEncoded) {
  const std::string document = feedback_document_utf8("abcdefghijklmnopqrstuvwxyz012345",
                                                      gbk("你好"), contact_placeholder());
  EXPECT_EQ(document,
            "{\"cvs\":{\"i\":4168136,\"t\":\"jh3VmH\",\"s\":524434083,\"acc\":"
            "\"abcdefghijklmnopqrstuvwxyz012345\",\"r\":\"\",\"c\":{\"cp\":{\"1172499\":\"你好\","
            "\"200022177\":\"" +
                std::string(21, ' ') + "（QQ、微信、邮箱皆可）\"}}}}");
  EXPECT_EQ(feedback_body(document), "d=" + hex_all(document));
  EXPECT_EQ(feedback_body("{\"a\":1}"), "d=%7B%22%61%22%3A%31%7D");
}

TEST(FeedbackDocument, QuotesBackslashesAndControlCharactersAreEscaped) {
  EXPECT_EQ(feedback_document_utf8("t", "say \"hi\" \\ \r\n\t\x01", "a\"b"),
            "{\"cvs\":{\"i\":4168136,\"t\":\"jh3VmH\",\"s\":524434083,\"acc\":\"t\",\"r\":\"\","
            "\"c\":{\"cp\":{\"1172499\":\"say \\\"hi\\\" \\\\ \\r\\n\\t\\u0001\","
            "\"200022177\":\"a\\\"b\"}}}}");
  // A lead byte without a valid second byte cannot swallow the quote after it.
  const std::string broken = feedback_document_utf8("t", "\x81\"", "");
  EXPECT_NE(broken.find("\\\""), std::string::npos) << broken;
}

TEST(FeedbackPlaceholders, ClickClearsOnlyThePlaceholder) {
  EXPECT_TRUE(contact_clears_on_click(contact_placeholder()));
  EXPECT_TRUE(contact_clears_on_click(gbk("（QQ、微信、邮箱皆可）  ")));
  EXPECT_FALSE(contact_clears_on_click(gbk("QQ 12345")));
  EXPECT_TRUE(content_clears_on_click(content_placeholder()));
  EXPECT_FALSE(content_clears_on_click(gbk("你好")));
  EXPECT_FALSE(content_clears_on_click(""));
  EXPECT_EQ(content_placeholder().substr(0, 157), std::string(157, ' '));
  EXPECT_NE(content_placeholder()[157], ' ');
}

class FeedbackFlow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new SiteSimulator(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  FeedbackService service(const std::string& mode = "") const {
    return {sim_->http_base() + "/form" + (mode.empty() ? "" : "/" + mode), "simtoken", 2};
  }
  // The service's record: "PAGES n\nPOSTS m\nCOOKIE …\nDOCUMENT …\nBODY …\n".
  static std::string record() {
    std::string bytes;  // UTF-8 as served
    WebRequest(sim_->http_base() + "/form/last", 0, {}, nullptr, nullptr, {}, nullptr, false, {},
               {}, {}, {}, {}, 0, nullptr, nullptr, &bytes);
    return bytes;
  }
  static std::string line(const std::string& record, const std::string& key) {
    const std::size_t at = record.find(key + " ");
    if (at == std::string::npos) return "?";
    return record.substr(at + key.size() + 1, record.find('\n', at) - at - key.size() - 1);
  }
  static SiteSimulator* sim_;
};
SiteSimulator* FeedbackFlow::sim_ = nullptr;

TEST_F(FeedbackFlow, EmptyContentFetchesTheFormPageAndPostsNothing) {
  int pages = std::stoi(line(record(), "PAGES"));
  const int posts = std::stoi(line(record(), "POSTS"));
  for (const std::string& content :
       {content_placeholder(), std::string(), std::string("   "), std::string(" \r\n\t ")}) {
    EXPECT_EQ(submit_feedback(service(), content, contact_placeholder()),
              FeedbackOutcome::kEmptyData);
    const std::string seen = record();
    EXPECT_EQ(line(seen, "PAGES"), std::to_string(++pages));
    EXPECT_EQ(line(seen, "POSTS"), std::to_string(posts));
  }
}

TEST_F(FeedbackFlow, ContentIsPostedWithTheFormPagesCookie) {
  ASSERT_EQ(submit_feedback(service(), gbk("你好"), contact_placeholder()),
            FeedbackOutcome::kSucceeded);
  const std::string seen = record();
  EXPECT_EQ(line(seen, "COOKIE"), "formsid=sim" + line(seen, "PAGES"));
  EXPECT_EQ(line(seen, "BODY"),
            feedback_body(feedback_document_utf8("simtoken", gbk("你好"), contact_placeholder())));
  EXPECT_NE(line(seen, "DOCUMENT")
                .find("\"1172499\":\"你好\",\"200022177\":\"" + std::string(21, ' ') +
                      "（QQ、微信、邮箱皆可）\""),
            std::string::npos);

  // The next press submits whatever the box now holds: the success text itself.
  ASSERT_EQ(submit_feedback(service(), feedback_success_text(), ""), FeedbackOutcome::kSucceeded);
  EXPECT_NE(line(record(), "DOCUMENT")
                .find("<<<数据提交成功，小编会不断对软件进行完善！\\r\\n  感谢您的支持！"),
            std::string::npos);
}

TEST_F(FeedbackFlow, QuotesBackslashesAndLongTextsReachTheServerAsValidJson) {
  EXPECT_EQ(submit_feedback(service(), gbk("他说\"好\"，路径 C:\\temp\r\n第二行"), "a\"b\\"),
            FeedbackOutcome::kSucceeded);
  EXPECT_NE(line(record(), "DOCUMENT").find(R"(他说\"好\"，路径 C:\\temp\r\n第二行)"),
            std::string::npos);
  std::string long_text;
  while (long_text.size() < 100 * 1024) long_text += gbk("很长的建议\"\\ ");
  EXPECT_EQ(submit_feedback(service(), long_text, ""), FeedbackOutcome::kSucceeded);
}

TEST_F(FeedbackFlow, TheAnswerDecides) {
  EXPECT_EQ(submit_feedback(service("wrapped"), "x", ""), FeedbackOutcome::kSucceeded);
  EXPECT_EQ(submit_feedback(service("fail"), "x", ""), FeedbackOutcome::kFailed);
  EXPECT_EQ(submit_feedback(service("error"), "x", ""), FeedbackOutcome::kFailed);
  FeedbackService wrong_token = service();
  wrong_token.access_token = "othertoken";
  EXPECT_EQ(submit_feedback(wrong_token, "x", ""), FeedbackOutcome::kFailed);
  FeedbackService nowhere = service();
  nowhere.address = "http://127.0.0.1:9/form";
  EXPECT_EQ(submit_feedback(nowhere, "x", ""), FeedbackOutcome::kFailed);

  const auto before = std::chrono::steady_clock::now();
  FeedbackService stalled = service("stall");
  stalled.timeout_seconds = 1;
  EXPECT_EQ(submit_feedback(stalled, "x", ""), FeedbackOutcome::kFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(15));
}

}  // namespace
}  // namespace trovix
