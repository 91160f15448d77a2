#include "app/results_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMetaObject>
#include <QTableView>

#include "app/gui_text.h"

namespace trovix {

namespace {

enum PendingBit : unsigned {
  kColumns = 1u << 0,
  kRowsReset = 1u << 1,
  kRows = 1u << 2,
  kCells = 1u << 3,
  kSelection = 1u << 4,
  kEnsureVisible = 1u << 5,
};

unsigned bit_for(ListChange change) {
  switch (change) {
    case ListChange::columns:
      return kColumns;
    case ListChange::rows_reset:
      return kRowsReset;
    case ListChange::rows_appended:
      return kRows;
    case ListChange::cells:
      return kCells;
    case ListChange::selection:
      return kSelection;
    case ListChange::ensure_visible:
      return kEnsureVisible;
  }
  return kCells;
}

}  // namespace

ResultsModel::ResultsModel(ResultsList& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {
  rows_ = store_.row_count();
  columns_ = store_.column_count();
}

int ResultsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) {
    // The list may already be shorter than what the view shows: a missing
    // row or column reads as empty text until the next catch-up.
    return from_gbk(store_.cell_text(index.row(), index.column()));
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole) return from_gbk(store_.header_text(section));
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  return {};
}

void ResultsModel::note_change(ListChange change, int row) {
  if (change == ListChange::ensure_visible) visible_request_.store(row);
  const unsigned before = pending_.fetch_or(bit_for(change));
  if (before == 0) {
    QMetaObject::invokeMethod(this, &ResultsModel::catch_up, Qt::QueuedConnection);
  }
}

void ResultsModel::catch_up() {
  const unsigned bits = pending_.exchange(0);
  if (bits == 0) return;

  if (bits & kColumns) {
    const int now = store_.column_count();
    if (now < columns_) {
      beginRemoveColumns({}, now, columns_ - 1);
      columns_ = now;
      endRemoveColumns();
    } else if (now > columns_) {
      beginInsertColumns({}, columns_, now - 1);
      columns_ = now;
      endInsertColumns();
    }
    // Same count is no proof of same columns: titles and widths are read again.
    if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    emit columns_changed();
  }

  if ((bits & kRowsReset) && rows_ > 0) {
    beginRemoveRows({}, 0, rows_ - 1);
    rows_ = 0;
    endRemoveRows();
  }
  const int now = store_.row_count();
  if (now > rows_) {
    beginInsertRows({}, rows_, now - 1);
    rows_ = now;
    endInsertRows();
  } else if (now < rows_) {
    beginRemoveRows({}, now, rows_ - 1);
    rows_ = now;
    endRemoveRows();
  }

  if ((bits & (kCells | kColumns)) && rows_ > 0 && columns_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
  }
  if (bits & kSelection) emit selection_requested(store_.selected_row());
  if (bits & kEnsureVisible) emit ensure_visible_requested(visible_request_.load());
}

ResultsViewBinding::ResultsViewBinding(ResultsList& store, ResultsModel* model, QTableView* view)
    : QObject(view), store_(store), model_(model), view_(view) {
  view_->setModel(model_);
  view_->setSortingEnabled(false);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setShowGrid(false);
  view_->setWordWrap(false);
  view_->setTextElideMode(Qt::ElideRight);
  view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->verticalHeader()->setDefaultSectionSize(20);
  QHeaderView* header = view_->horizontalHeader();
  header->setSectionsClickable(true);  // a header click re-orders the rows elsewhere
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setSectionResizeMode(QHeaderView::Interactive);

  connect(model_, &ResultsModel::columns_changed, this, &ResultsViewBinding::apply_widths);
  connect(model_, &ResultsModel::selection_requested, this, &ResultsViewBinding::apply_selection);
  connect(model_, &ResultsModel::ensure_visible_requested, this, &ResultsViewBinding::scroll_to);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &ResultsViewBinding::selection_from_view);
  // Structural changes move the view's selection on their own; those moves
  // are not the user's and must not overwrite what the list holds.
  for (auto signal :
       {&QAbstractItemModel::rowsAboutToBeRemoved, &QAbstractItemModel::columnsAboutToBeRemoved}) {
    connect(model_, signal, this, [this] { applying_ = true; });
  }
  for (auto signal : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::columnsRemoved}) {
    connect(model_, signal, this, [this] { applying_ = false; });
  }
  apply_widths();
}

void ResultsViewBinding::apply_widths() {
  QHeaderView* header = view_->horizontalHeader();
  for (int c = 0; c < model_->columnCount(); ++c) {
    const int width = store_.column_width(c);
    if (width > 0) header->resizeSection(c, width);
  }
}

void ResultsViewBinding::apply_selection(int row) {
  applying_ = true;
  if (row >= 0 && row < model_->rowCount()) {
    view_->selectRow(row);
  } else {
    view_->clearSelection();
  }
  applying_ = false;
}

void ResultsViewBinding::scroll_to(int row) {
  if (row < 0 || row >= model_->rowCount() || model_->columnCount() == 0) return;
  view_->scrollTo(model_->index(row, 0), QAbstractItemView::EnsureVisible);
}

void ResultsViewBinding::selection_from_view() {
  if (applying_) return;
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  int first = -1;
  for (const QModelIndex& index : rows) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  if (first != store_.selected_row()) store_.select_row(first);
}

}  // namespace trovix
