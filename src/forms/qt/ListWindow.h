// The generic list: renders any ListDecl, a page of rows at a time.
//
// The table holds a few pages around the screen and reads on by key as the
// clerk scrolls; beside it a position bar shows, and sets when dragged,
// about where in the whole list the screen stands (exact at either end,
// estimated from key values in between, so a million records cost no more
// than a hundred).
//
// A ListPanel is one list (tabs, locator, table, its update buttons); a
// ListWindow holds one panel, or two side by side when the list has a detail
// list (a bank's branches), and the Select and Close buttons.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <cstdint>
#include <memory>
#include <vector>

#include "forms/ListActions.h"
#include "forms/ListPager.h"

class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabBar;
class QTableView;

namespace vel {
class Catalog;
class DataFiles;
class FileUse;
class RecordBuffer;
class Ui;
}  // namespace vel

namespace vel::qt {

// The rows on screen and a few pages around them. Reading goes by key from
// the first or last row held, so the model never holds the file. The model
// knows whether its first (last) row is the list's first (last) and, for the
// scroll bar, about where its first row stands in the list.
class ListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  ListModel(ListPager& pager, const ListDecl& decl, QObject* parent = nullptr);

  int rowCount(const QModelIndex& = {}) const override { return static_cast<int>(rows_.size()); }
  int columnCount(const QModelIndex& = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  const ListRow* row(int r) const;
  // New rows: whether they start (end) the list, and the place of the first
  // row in the list (0 for the first record).
  void reset(std::vector<ListRow> rows, bool atStart, bool atEnd, std::int64_t topRank);
  // One more page after the last row (before the first); false at the end.
  bool loadAfter();
  bool loadBefore();
  // After loadBefore: the rows that came in at the top. After loadAfter: 0,
  // or minus the rows dropped at the top to keep the window's size.
  int lastAdded() const { return lastAdded_; }
  bool atStart() const { return atStart_; }
  bool atEnd() const { return atEnd_; }
  std::int64_t topRank() const { return topRank_; }
  void setTopRank(std::int64_t r) { topRank_ = r < 0 ? 0 : r; }

  static constexpr int kPage = 60;
  static constexpr int kMaxRows = 5 * kPage;

 private:
  ListPager& pager_;
  const ListDecl& decl_;
  std::vector<ListRow> rows_;
  bool atStart_ = true, atEnd_ = true;
  std::int64_t topRank_ = 0;
  int lastAdded_ = 0;
};

class ListPanel : public QWidget {
  Q_OBJECT
 public:
  ListPanel(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl, ListMode mode,
            QWidget* parent = nullptr);
  ~ListPanel() override;

  const ListDecl& decl() const { return decl_; }
  QTableView* table() const { return table_; }
  QLineEdit* locator() const { return locator_; }
  ListModel* model() const { return model_; }
  QPushButton* button(ListAction a) const;
  // Keeps the button of `a` off the screen, offered or not: the window that
  // holds the list gives that action a button of its own.
  void hideButton(ListAction a);
  // The highlighted row (nullptr when the list is empty).
  const ListRow* current() const;
  // The highlighted record into `out` (a buffer of the list's file layout).
  bool currentRecord(RecordBuffer& out);
  // Shows only records whose fields hold these values (see ListPager).
  void setRange(Presets range);
  void act(ListAction a);
  void refresh(const std::string& position = {});
  void first();
  void last();
  void locate(const QString& text);
  void setTab(int tab);
  int tab() const { return pager_.tab(); }

 signals:
  void currentChanged();
  void selectRequested();

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void showPopup(const QPoint& at);
  void scrolled();
  void updateButtons();
  // The list's natural action on Enter or a double click: Select in a
  // lookup, else Change, or View where the list has no Change.
  void natural();
  // Shows new rows with `row` highlighted, placed as `hint` says, and reads
  // the pages around it.
  void show(std::vector<ListRow> rows, bool atStart, bool atEnd, std::int64_t topRank, int row,
            int hint);
  // Reads a page before (after) the rows held while the screen comes within
  // half a page of either end of them.
  void fill();
  // Sets the position bar from the rows on screen.
  void syncBar();
  void barAction(int action);
  void jumpTo(std::int64_t rank);
  std::int64_t estimate(const ListRow& row);
  int visibleRows() const;

  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  const ListDecl& decl_;
  ListMode mode_;
  unsigned hidden_ = 0;  // actions whose buttons are never shown
  std::unique_ptr<FileUse> use_;
  ListPager pager_;
  ListActions actions_;
  ListModel* model_;
  QTabBar* tabs_ = nullptr;
  QLineEdit* locator_ = nullptr;
  QTableView* table_;
  // Where the screen stands in the whole list (the table's own bar only
  // covers the rows held).
  QScrollBar* bar_;
  std::int64_t total_ = 0;  // records in the list, for the bar
  std::vector<std::pair<ListAction, QPushButton*>> buttons_;
  bool loading_ = false;
};

class ListWindow : public QDialog {
  Q_OBJECT
 public:
  ListWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl, ListMode mode,
             QWidget* parent = nullptr);

  ListPanel* panel() const { return main_; }
  ListPanel* detail() const { return detail_; }
  QPushButton* selectButton() const { return select_; }
  QPushButton* closeButton() const { return close_; }

 private:
  void linkDetail();

  DataFiles& files_;
  const ListDecl& decl_;
  ListPanel* main_;
  ListPanel* detail_ = nullptr;
  QPushButton* select_ = nullptr;
  QPushButton* close_ = nullptr;
};

// A browse's side panel of one member's rows: no sort tabs or locator,
// `rows` rows high, and narrow enough to sit beside the browse's own list
// on a common screen (it scrolls sideways). Its list is `decl`.
ListPanel* sidePanel(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl,
                     int rows, QWidget* parent);
// The main list of a browse with side panels: as narrow as 30 characters
// before it scrolls sideways, so the browse fits a common screen.
void narrowToSitBesidePanels(ListPanel& p);
// `wanted`, made no larger than the screen `w` opens on leaves free.
QSize fittedSize(const QWidget& w, QSize wanted);

// Opens a list modally. In select mode, returns true when "&Select" was
// pressed, with the highlighted record copied into `picked`; closing returns
// false and leaves `picked` as it was. `range` limits the rows shown.
bool runListWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl,
                   ListMode mode, QWidget* parent, RecordBuffer* picked = nullptr,
                   const Presets& range = {});

}  // namespace vel::qt
