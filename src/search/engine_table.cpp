#include "search/engine_table.h"

namespace trovix {

namespace {

constexpr bool numbered_in_order() {
  for (std::size_t i = 0; i < kEngineTable.size(); ++i) {
    const EngineInfo& info = kEngineTable[i];
    if (info.number != static_cast<int>(i) + 1 || info.entry == nullptr) return false;
    if (info.column_count() < 2 || info.columns[0].title != "ID") return false;
    if (info.link_column < 1 || info.link_column >= info.column_count()) return false;
  }
  return true;
}
// The radio buttons, the services keys and the dispatcher count on it.
static_assert(numbered_in_order(), "engines are numbered 1, 2, … in table order");

}  // namespace

EngineEntry engine_entry(int number) {
  if (number == 0) return run_test_engine;
  const EngineInfo* info = find_engine(number);
  return info == nullptr ? nullptr : info->entry;
}

}  // namespace trovix
