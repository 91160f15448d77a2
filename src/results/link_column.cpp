#include "results/link_column.h"

#include "search/engine_table.h"

namespace trovix {

// Link columns and kinds come from the engine table.
int link_column(int engine) {
  const EngineInfo* info = find_engine(engine);
  return info == nullptr ? -1 : info->link_column;
}

bool is_torrent_engine(int engine) {
  const EngineInfo* info = find_engine(engine);
  return info != nullptr && info->kind == EngineKind::torrent;
}

ContextMenu context_menu_for(int engine) {
  if (engine == 3) return ContextMenu::torrent;
  if (find_engine(engine) != nullptr) return ContextMenu::normal;
  return ContextMenu::none;
}

std::string selected_link(const ResultsList& list, int engine) {
  const int column = link_column(engine);
  if (column < 0) return {};
  // A missing row (-1) or column reads as empty text.
  return list.cell_text(list.selected_row(), column);
}

}  // namespace trovix
