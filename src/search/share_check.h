// Whether a cloud-disk share still exists. Both cloud-disk engines fetch the
// share page and look for the six phrases the share hosts show for a share
// that is gone.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace trovix {

enum class ShareState { valid, invalid };

// The phrases in the order they are tried (GBK).
const std::array<std::string, 6>& share_gone_phrases();

// True when the page holds one of the phrases, letter case counting.
bool share_page_is_gone(std::string_view share_page);

// Fetches the share page with a plain GET and judges it. An address that could
// not be found (empty) is invalid without any request. A page that cannot be
// fetched holds no phrase and therefore counts as valid.
ShareState check_share(std::string_view share_address);

// One row's share: the address cut out of the page that names it (between
// `left` and `right`) and the state of the share behind it, fetched when the
// address was found.
struct FoundShare {
  std::string address;
  ShareState state = ShareState::invalid;
};
FoundShare find_and_check_share(std::string_view page, std::string_view left,
                                std::string_view right);

// "有效" or "无效" (GBK), the text of the status column.
const std::string& share_state_text(ShareState state);

}  // namespace trovix
