#include "search/engine_table.h"

namespace trovix {

namespace {

constexpr bool numbered_in_order() {
  for (std::size_t i = 0; i < kEngineTable.size(); ++i) {
    const EngineSpec& spec = kEngineTable[i];
    if (spec.number != static_cast<int>(i) + 1 || spec.entry == nullptr) return false;
    if (spec.column_count() < 2 || spec.columns[0].title != "ID") return false;
    if (spec.link_column < 1 || spec.link_column >= spec.column_count()) return false;
  }
  return true;
}
// The radio buttons, the services keys and the dispatcher count on it.
static_assert(numbered_in_order(), "engines are numbered 1, 2, … in table order");

}  // namespace

EngineEntry engine_entry(int number) {
  if (number == 0) return run_test_engine;
  const EngineSpec* spec = find_engine(number);
  return spec == nullptr ? nullptr : spec->entry;
}

}  // namespace trovix
