#include "results/link_column.h"

#include <array>

namespace trovix {

int link_column(int engine) {
  static constexpr std::array<int, 6> columns{5, 4, 5, 5, 2, 3};
  if (engine < 1 || engine > 6) return -1;
  return columns[static_cast<std::size_t>(engine - 1)];
}

bool is_torrent_engine(int engine) { return engine >= 1 && engine <= 4; }

ContextMenu context_menu_for(int engine) {
  if (engine == 3) return ContextMenu::torrent;
  if (engine >= 1 && engine <= 6) return ContextMenu::normal;
  return ContextMenu::none;
}

std::string selected_link(const ResultsList& list, int engine) {
  const int column = link_column(engine);
  if (column < 0) return {};
  // A missing row (-1) or column reads as empty text.
  return list.cell_text(list.selected_row(), column);
}

}  // namespace trovix
