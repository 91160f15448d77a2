// The results table: a model that mirrors the results list for a QTableView.
// Workers write only to the list; its change notices are coalesced into one
// catch-up on the UI thread, where the model brings its counts in line.
#pragma once

#include <QAbstractTableModel>
#include <atomic>

#include "search/results_list.h"

class QTableView;

namespace trovix {

class ResultsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  ResultsModel(ResultsList& store, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Any thread: records what changed and asks the UI thread for one catch-up,
  // unless one is already on its way.
  void note_change(ListChange change, int row);
  // UI thread: brings rows and columns in line with the list now.
  void catch_up();

 signals:
  void columns_changed();
  void selection_requested(int row);
  void ensure_visible_requested(int row);

 private:
  ResultsList& store_;
  std::atomic<unsigned> pending_{0};
  std::atomic<int> visible_request_{-1};
  int rows_ = 0;
  int columns_ = 0;
};

// Binds a table view to the model: report style, whole-row selection, no
// sorting by the widget, column widths taken from the list, and selection kept
// in step both ways (the list is where the result actions read it).
class ResultsViewBinding : public QObject {
  Q_OBJECT
 public:
  ResultsViewBinding(ResultsList& store, ResultsModel* model, QTableView* view);

 private:
  void apply_widths();
  void apply_selection(int row);
  void scroll_to(int row);
  void selection_from_view();

  ResultsList& store_;
  ResultsModel* model_;
  QTableView* view_;
  bool applying_ = false;
};

}  // namespace trovix
