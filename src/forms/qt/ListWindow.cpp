#include "forms/qt/ListWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include <optional>

#include "forms/Catalog.h"
#include "forms/qt/FormWindow.h"
#include "recordstore/DataFiles.h"

namespace vel::qt {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Popup and button order.
constexpr ListAction kOrder[] = {kActInsert, kActChange, kActDelete, kActView,
                                 kActPrint,  kActQuery,  kActSelect};

const char* popupText(ListAction a) {
  switch (a) {
    case kActInsert: return "&Insert";
    case kActChange: return "&Change";
    case kActDelete: return "&Delete";
    case kActView: return "&View";
    case kActPrint: return "&Print";
    case kActQuery: return "&Query";
    case kActSelect: return "&Select";
  }
  return "";
}

// The table of a list. Its own scroll bar is hidden (it would only cover the
// rows held); the geometry update is opened so that the panel can set the
// table's scroll range at once when rows come in above the screen.
class ListTable : public QTableView {
 public:
  using QTableView::QTableView;
  using QTableView::updateGeometries;
};

ListTable* tableOf(QTableView* t) { return static_cast<ListTable*>(t); }

}  // namespace

// ---------------------------------------------------------------- ListModel

ListModel::ListModel(ListPager& pager, const ListDecl& decl, QObject* parent)
    : QAbstractTableModel(parent), pager_(pager), decl_(decl) {}

int ListModel::columnCount(const QModelIndex&) const { return static_cast<int>(decl_.columns.size()); }

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ColumnDecl& c = decl_.columns[static_cast<std::size_t>(index.column())];
  if (role == Qt::DisplayRole)
    return q(rows_[static_cast<std::size_t>(index.row())].cells[static_cast<std::size_t>(index.column())]);
  if (role == Qt::TextAlignmentRole) {
    Qt::Alignment h = c.align == Align::Right ? Qt::AlignRight : c.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft;
    return QVariant::fromValue(h | Qt::AlignVCenter);
  }
  return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return q(decl_.columns[static_cast<std::size_t>(section)].heading);
}

const ListRow* ListModel::row(int r) const {
  return r >= 0 && r < rowCount() ? &rows_[static_cast<std::size_t>(r)] : nullptr;
}

void ListModel::reset(std::vector<ListRow> rows, bool atStart, bool atEnd, std::int64_t topRank) {
  beginResetModel();
  rows_ = std::move(rows);
  atStart_ = atStart;
  atEnd_ = atEnd;
  topRank_ = atStart ? 0 : std::max<std::int64_t>(0, topRank);
  lastAdded_ = 0;
  endResetModel();
}

bool ListModel::loadAfter() {
  lastAdded_ = 0;
  if (rows_.empty() || atEnd_) return false;
  std::vector<ListRow> more = pager_.after(rows_.back(), kPage);
  if (static_cast<int>(more.size()) < kPage) atEnd_ = true;
  if (more.empty()) return false;
  beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(more.size()) - 1);
  for (auto& r : more) rows_.push_back(std::move(r));
  endInsertRows();
  lastAdded_ = static_cast<int>(more.size());
  int excess = rowCount() - kMaxRows;
  if (excess > 0) {
    beginRemoveRows({}, 0, excess - 1);
    rows_.erase(rows_.begin(), rows_.begin() + excess);
    endRemoveRows();
    atStart_ = false;
    topRank_ += excess;
    lastAdded_ = -excess;  // rows dropped at the top
  }
  return true;
}

bool ListModel::loadBefore() {
  lastAdded_ = 0;
  if (rows_.empty() || atStart_) return false;
  std::vector<ListRow> more = pager_.before(rows_.front(), kPage);
  if (static_cast<int>(more.size()) < kPage) atStart_ = true;
  if (more.empty()) {
    topRank_ = 0;
    return false;
  }
  int n = static_cast<int>(more.size());
  beginInsertRows({}, 0, n - 1);
  rows_.insert(rows_.begin(), std::make_move_iterator(more.rbegin()), std::make_move_iterator(more.rend()));
  endInsertRows();
  lastAdded_ = n;
  topRank_ = atStart_ ? 0 : std::max<std::int64_t>(0, topRank_ - n);
  int excess = rowCount() - kMaxRows;
  if (excess > 0) {
    beginRemoveRows({}, rowCount() - excess, rowCount() - 1);
    rows_.resize(rows_.size() - static_cast<std::size_t>(excess));
    endRemoveRows();
    atEnd_ = false;
  }
  return true;
}

// ---------------------------------------------------------------- ListPanel

ListPanel::ListPanel(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl,
                     ListMode mode, QWidget* parent)
    : QWidget(parent),
      files_(files),
      ui_(ui),
      catalog_(catalog),
      decl_(decl),
      mode_(mode),
      use_(std::make_unique<FileUse>(files.fm(decl.file))),
      pager_(files.fm(decl.file), decl),
      actions_(files, ui, catalog, decl,
               [this](const FormDecl& f, Request r, const Presets& p) {
                 return runFormWindow(files_, ui_, catalog_, f, r, p, this);
               }) {
  setObjectName(q(decl.procedure));
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  if (!decl.heading.empty()) lay->addWidget(new QLabel(q(decl.heading), this));
  if (!decl.tabs.empty()) {
    tabs_ = new QTabBar(this);
    for (const SortTab& t : decl.tabs) tabs_->addTab(q(t.name));
    connect(tabs_, &QTabBar::currentChanged, this, &ListPanel::setTab);
    lay->addWidget(tabs_);
    locator_ = new QLineEdit(this);
    locator_->setObjectName("Locator");
    locator_->setPlaceholderText("Locate");
    connect(locator_, &QLineEdit::textEdited, this, &ListPanel::locate);
    locator_->installEventFilter(this);
    lay->addWidget(locator_);
  }
  model_ = new ListModel(pager_, decl, this);
  table_ = new ListTable(this);
  table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->setObjectName("List");
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setContextMenuPolicy(Qt::CustomContextMenu);
  table_->installEventFilter(this);
  int em = table_->fontMetrics().horizontalAdvance('M');
  int total = 0;
  for (int c = 0; c < static_cast<int>(decl.columns.size()); ++c) {
    int w = std::clamp(decl.columns[static_cast<std::size_t>(c)].width, 4, 40) * em * 3 / 4 + 12;
    table_->setColumnWidth(c, w);
    total += w;
  }
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setMinimumWidth(std::min(total + 30, 900));
  table_->setMinimumHeight(table_->verticalHeader()->defaultSectionSize() * 14);
  connect(table_, &QTableView::customContextMenuRequested, this, &ListPanel::showPopup);
  connect(table_->verticalScrollBar(), &QScrollBar::valueChanged, this, &ListPanel::scrolled);
  connect(table_, &QTableView::doubleClicked, this, &ListPanel::natural);
  bar_ = new QScrollBar(Qt::Vertical, this);
  bar_->setObjectName("Position");
  connect(bar_, &QScrollBar::actionTriggered, this, &ListPanel::barAction);
  bar_->installEventFilter(this);
  auto* body = new QHBoxLayout;
  body->setSpacing(0);
  body->addWidget(table_, 1);
  body->addWidget(bar_);
  lay->addLayout(body, 1);
  if (!decl.legend.empty()) {
    auto* legend = new QLabel(q(decl.legend), this);
    legend->setObjectName("Legend");
    lay->addWidget(legend);
  }

  auto* row = new QHBoxLayout;
  auto addButton = [&](ListAction a, const std::string& text, const char* tip) {
    if (!(decl.actions & a)) return;
    auto* b = new QPushButton(q(text), this);
    b->setObjectName(QString(popupText(a)).remove(QChar('&')));  // "Insert", "Change", ...
    b->setToolTip(tip);
    // Enter belongs to the list (its natural action), never to a button.
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, a] { act(a); });
    buttons_.emplace_back(a, b);
    row->addWidget(b);
  };
  addButton(kActInsert, decl.insertText, "Insert a Record");
  addButton(kActChange, decl.changeText, "Change the Record");
  addButton(kActDelete, decl.deleteText, "Delete the Record");
  addButton(kActPrint, decl.printText, "Print the Record");
  row->addStretch();
  lay->addLayout(row);
  updateButtons();
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { emit currentChanged(); });
  total_ = pager_.count();
  first();
}

ListPanel::~ListPanel() = default;

QPushButton* ListPanel::button(ListAction a) const {
  for (auto& [act, b] : buttons_)
    if (act == a) return b;
  return nullptr;
}

void ListPanel::hideButton(ListAction a) {
  hidden_ |= a;
  updateButtons();
}

void ListPanel::updateButtons() {
  unsigned offered = actions_.offered() & ~hidden_;
  for (auto& [a, b] : buttons_) {
    b->setVisible(offered & a);
    b->setEnabled(mode_ != ListMode::View);
  }
}

const ListRow* ListPanel::current() const {
  int r = table_->currentIndex().isValid() ? table_->currentIndex().row() : -1;
  return model_->row(r);
}

bool ListPanel::currentRecord(RecordBuffer& out) {
  const ListRow* r = current();
  if (!r || !pager_.fetch(*r)) return false;
  FileManager& fm = files_.fm(decl_.file);
  fm.layout().copy(out.get(), fm.buffer());
  return true;
}

void ListPanel::setRange(Presets range) {
  pager_.setRange(range);
  actions_.setPresets(std::move(range));
  total_ = pager_.count();
}

void ListPanel::act(ListAction a) {
  if (mode_ == ListMode::View && a != kActSelect && a != kActView) return;
  if (a == kActSelect) {
    if (mode_ == ListMode::Select) emit selectRequested();
    return;
  }
  const ListRow* r = current();
  std::optional<ListRow> row = r ? std::optional<ListRow>(*r) : std::nullopt;
  std::string pos = row ? row->position : std::string();
  ListActions::Result res = actions_.act(a, pos);
  updateButtons();
  if (!res.refresh) return;
  if (a == kActDelete && row && res.position.empty() && !pager_.fetch(*row)) {
    // The record is gone: stand on the one that followed it.
    total_ = pager_.count();
    pager_.forgetEnds();
    std::vector<ListRow> rows = pager_.after(*row, ListModel::kPage);
    if (rows.empty()) {
      last();
      return;
    }
    std::int64_t rank = estimate(rows.front());
    bool end = static_cast<int>(rows.size()) < ListModel::kPage;
    show(std::move(rows), false, end, rank, 0, QAbstractItemView::PositionAtCenter);
    return;
  }
  refresh(res.position.empty() ? pos : res.position);
}

void ListPanel::natural() {
  if (mode_ == ListMode::Select) {
    emit selectRequested();
    return;
  }
  if (!current()) return;
  unsigned offered = actions_.offered();
  if (mode_ != ListMode::View && (offered & kActChange)) act(kActChange);
  else if (offered & kActView) act(kActView);
}

void ListPanel::refresh(const std::string& position) {
  total_ = pager_.count();
  pager_.forgetEnds();
  if (position.empty()) {
    first();
    return;
  }
  std::vector<ListRow> rows = pager_.from(position, ListModel::kPage);
  if (rows.empty()) {
    first();
    return;
  }
  std::int64_t rank = estimate(rows.front());
  bool end = static_cast<int>(rows.size()) < ListModel::kPage;
  // The changed row in the middle of the screen, its neighbours round it.
  show(std::move(rows), false, end, rank, 0, QAbstractItemView::PositionAtCenter);
}

std::int64_t ListPanel::estimate(const ListRow& row) {
  double f = pager_.place(row);
  if (f < 0 || total_ <= 1) return 0;
  return static_cast<std::int64_t>(std::llround(f * static_cast<double>(total_ - 1)));
}

int ListPanel::visibleRows() const {
  int h = std::max(1, table_->verticalHeader()->defaultSectionSize());
  return std::max(1, table_->viewport()->height() / h);
}

void ListPanel::show(std::vector<ListRow> rows, bool atStart, bool atEnd, std::int64_t topRank,
                     int row, int hint) {
  auto h = static_cast<QAbstractItemView::ScrollHint>(hint);
  loading_ = true;
  model_->reset(std::move(rows), atStart, atEnd, topRank);
  tableOf(table_)->updateGeometries();
  if (model_->rowCount()) {
    row = std::clamp(row, 0, model_->rowCount() - 1);
    table_->selectRow(row);
    table_->scrollTo(model_->index(row, 0), h);
  }
  loading_ = false;
  fill();
  if (model_->rowCount()) table_->scrollTo(table_->currentIndex(), h);
  syncBar();
  emit currentChanged();
}

void ListPanel::first() {
  std::vector<ListRow> rows = pager_.first(ListModel::kPage);
  bool end = static_cast<int>(rows.size()) < ListModel::kPage;
  show(std::move(rows), true, end, 0, 0, QAbstractItemView::PositionAtTop);
}

void ListPanel::last() {
  std::vector<ListRow> rows = pager_.last(ListModel::kPage);
  int n = static_cast<int>(rows.size());
  show(std::move(rows), n < ListModel::kPage, true, total_ - n, n - 1,
       QAbstractItemView::PositionAtBottom);
}

void ListPanel::locate(const QString& text) {
  if (text.isEmpty()) {
    first();
    return;
  }
  std::vector<ListRow> rows = pager_.locate(text.toStdString(), ListModel::kPage);
  if (rows.empty()) return;  // not readable yet (a date half typed): stay put
  std::int64_t rank = estimate(rows.front());
  bool end = static_cast<int>(rows.size()) < ListModel::kPage;
  show(std::move(rows), false, end, rank, 0, QAbstractItemView::PositionAtTop);
}

void ListPanel::setTab(int tab) {
  pager_.setTab(tab);
  if (locator_) locator_->clear();
  first();
}

void ListPanel::scrolled() {
  if (loading_) return;
  fill();
  syncBar();
}

void ListPanel::fill() {
  if (loading_) return;
  loading_ = true;
  QScrollBar* v = table_->verticalScrollBar();
  const int margin = std::max(ListModel::kPage / 2, visibleRows());
  for (int guard = 0; guard < 8; ++guard) {
    int top = v->value();
    int bottom = top + visibleRows();
    if (top < margin && !model_->atStart()) {
      if (!model_->loadBefore()) continue;
      tableOf(table_)->updateGeometries();
      v->setValue(top + model_->lastAdded());
    } else if (bottom > model_->rowCount() - margin && !model_->atEnd()) {
      if (!model_->loadAfter()) continue;
      tableOf(table_)->updateGeometries();
      if (model_->lastAdded() < 0) v->setValue(top + model_->lastAdded());
    } else {
      break;
    }
  }
  loading_ = false;
}

void ListPanel::syncBar() {
  std::int64_t rows = model_->rowCount();
  // Where the rows held are known to start or end the list, that corrects
  // the estimate.
  if (model_->atStart() && model_->atEnd()) total_ = rows;
  if (total_ < rows) total_ = rows;
  if (model_->atEnd() && !model_->atStart()) model_->setTopRank(total_ - rows);
  else if (!model_->atStart() && model_->topRank() + rows > total_) model_->setTopRank(total_ - rows);
  int vis = visibleRows();
  std::int64_t max = std::max<std::int64_t>(0, total_ - vis);
  std::int64_t rank = model_->topRank() + table_->verticalScrollBar()->value();
  bool was = loading_;
  loading_ = true;
  bar_->setRange(0, static_cast<int>(std::min<std::int64_t>(max, std::numeric_limits<int>::max())));
  bar_->setPageStep(vis);
  bar_->setSingleStep(1);
  bar_->setValue(static_cast<int>(std::clamp<std::int64_t>(rank, 0, bar_->maximum())));
  bar_->setVisible(max > 0);
  loading_ = was;
}

void ListPanel::barAction(int action) {
  if (loading_) return;
  QScrollBar* v = table_->verticalScrollBar();
  int vis = visibleRows();
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: v->setValue(v->value() + 1); break;
    case QAbstractSlider::SliderSingleStepSub: v->setValue(v->value() - 1); break;
    case QAbstractSlider::SliderPageStepAdd: v->setValue(v->value() + vis); break;
    case QAbstractSlider::SliderPageStepSub: v->setValue(v->value() - vis); break;
    case QAbstractSlider::SliderToMinimum: first(); break;
    case QAbstractSlider::SliderToMaximum: last(); break;
    case QAbstractSlider::SliderMove: jumpTo(bar_->sliderPosition()); break;
    default: break;
  }
}

void ListPanel::jumpTo(std::int64_t rank) {
  if (rank <= 0) {
    first();
    return;
  }
  if (rank >= bar_->maximum()) {
    last();
    return;
  }
  double f = total_ > 1 ? static_cast<double>(rank) / static_cast<double>(total_ - 1) : 0;
  std::vector<ListRow> rows = pager_.at(f, ListModel::kPage);
  bool end = static_cast<int>(rows.size()) < ListModel::kPage;
  show(std::move(rows), false, end, rank, 0, QAbstractItemView::PositionAtTop);
}

void ListPanel::showPopup(const QPoint& at) {
  if (decl_.rightClick) {
    decl_.rightClick(ui_);
    return;
  }
  QMenu menu(this);
  unsigned offered = actions_.offered();
  for (ListAction a : kOrder) {
    bool has = a == kActSelect ? (mode_ == ListMode::Select && (decl_.actions & kActSelect))
                               : (offered & a) != 0;
    if (!has || (mode_ == ListMode::View && a != kActSelect)) continue;
    QAction* item = menu.addAction(popupText(a));
    connect(item, &QAction::triggered, this, [this, a] { act(a); });
  }
  if (!menu.isEmpty()) menu.exec(table_->viewport()->mapToGlobal(at));
}

bool ListPanel::eventFilter(QObject* o, QEvent* e) {
  if (o == table_ && e->type() == QEvent::Resize) {
    // The screen holds more or fewer rows once the resize is done.
    QMetaObject::invokeMethod(this, [this] { scrolled(); }, Qt::QueuedConnection);
  }
  if (o == bar_ && e->type() == QEvent::Wheel) {
    // The wheel over the bar scrolls rows, as over the list, not a jump.
    QCoreApplication::sendEvent(table_->verticalScrollBar(), e);
    return true;
  }
  if (e->type() != QEvent::KeyPress) return QWidget::eventFilter(o, e);
  auto* k = static_cast<QKeyEvent*>(e);
  bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
  if (o == locator_) {
    // Up and down move the highlight while the clerk types a locator.
    if (k->key() == Qt::Key_Down || k->key() == Qt::Key_Up || k->key() == Qt::Key_PageDown ||
        k->key() == Qt::Key_PageUp) {
      table_->setFocus();
      QCoreApplication::sendEvent(table_, e);
      return true;
    }
    if (!enter) return false;
  }
  if (decl_.buttonsOnly && (enter || k->key() == Qt::Key_Insert ||
                            (k->key() == Qt::Key_Delete && o == table_)))
    return true;
  if (k->key() == Qt::Key_Insert) { act(kActInsert); return true; }
  if (k->key() == Qt::Key_Delete && o == table_) { act(kActDelete); return true; }
  if (enter && (k->modifiers() & Qt::ControlModifier)) { act(kActChange); return true; }
  if (enter && (k->modifiers() & Qt::ShiftModifier)) { act(kActView); return true; }
  if (enter) { natural(); return true; }
  if (o == table_ && (k->key() == Qt::Key_Home) ) { first(); return true; }
  if (o == table_ && (k->key() == Qt::Key_End)) { last(); return true; }
  if (o == table_ && k->key() == Qt::Key_Menu) {
    showPopup(table_->visualRect(table_->currentIndex()).center());
    return true;
  }
  return QWidget::eventFilter(o, e);
}

// --------------------------------------------------------------- ListWindow

ListWindow::ListWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl,
                       ListMode mode, QWidget* parent)
    : QDialog(parent), files_(files), decl_(decl) {
  setObjectName(q(decl.procedure));
  setWindowTitle(q(decl.title));
  auto* outer = new QVBoxLayout(this);
  auto* lists = new QHBoxLayout;
  main_ = new ListPanel(files, ui, catalog, decl, mode, this);
  lists->addWidget(main_, 1);
  if (const ListDecl* d = decl.detail.empty() ? nullptr : catalog.list(decl.detail)) {
    detail_ = new ListPanel(files, ui, catalog, *d, mode == ListMode::Select ? ListMode::Maintain : mode, this);
    lists->addWidget(detail_, 1);
    connect(main_, &ListPanel::currentChanged, this, &ListWindow::linkDetail);
    linkDetail();
  }
  outer->addLayout(lists, 1);
  auto* row = new QHBoxLayout;
  row->addStretch();
  if (mode == ListMode::Select && (decl.actions & kActSelect)) {
    select_ = new QPushButton(q(decl.selectText), this);
    select_->setObjectName("Select");
    select_->setDefault(true);
    connect(select_, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(select_);
  }
  close_ = new QPushButton(q(decl.closeText), this);
  close_->setObjectName("Close");
  close_->setToolTip("Close Window");
  close_->setAutoDefault(false);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  row->addWidget(close_);
  outer->addLayout(row);
  connect(main_, &ListPanel::selectRequested, this, [this] {
    if (select_) accept();
  });
  main_->table()->setFocus();
}

void ListWindow::linkDetail() {
  if (!detail_) return;
  Presets range;
  RecordBuffer rec(files_.fm(decl_.file).layout());
  bool have = main_->currentRecord(rec);
  for (const auto& [mine, theirs] : decl_.detailLink) {
    int f = rec.layout().fieldIndex(mine);
    range.emplace_back(theirs, have && f >= 0 ? std::string(rtrim(rec.field(f).text())) : std::string("\x01"));
  }
  detail_->setRange(std::move(range));
  detail_->first();
}

ListPanel* sidePanel(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl,
                     int rows, QWidget* parent) {
  auto* p = new ListPanel(files, ui, catalog, decl, ListMode::Maintain, parent);
  for (auto* t : p->findChildren<QTabBar*>()) t->hide();
  if (p->locator()) p->locator()->hide();
  p->table()->setMinimumHeight(p->table()->verticalHeader()->defaultSectionSize() * rows);
  p->table()->setMinimumWidth(p->table()->fontMetrics().horizontalAdvance('M') * 16);
  return p;
}

void narrowToSitBesidePanels(ListPanel& p) {
  p.table()->setMinimumWidth(p.table()->fontMetrics().horizontalAdvance('M') * 30);
}

QSize fittedSize(const QWidget& w, QSize wanted) {
  const QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
  return screen ? wanted.boundedTo(screen->availableGeometry().size()) : wanted;
}

bool runListWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& decl,
                   ListMode mode, QWidget* parent, RecordBuffer* picked, const Presets& range) {
  // The list's files are opened before the window shows. When another
  // station holds one and the clerk gives up waiting (level 3), the window
  // does not open and the caller goes on; the window never shows an empty
  // list that asks again at every page.
  std::vector<std::string> labels{decl.file};
  if (const ListDecl* d = decl.detail.empty() ? nullptr : catalog.list(decl.detail))
    labels.push_back(d->file);
  std::vector<std::unique_ptr<FileUse>> uses;
  for (const std::string& label : labels) {
    FileManager& f = files.fm(label);
    uses.push_back(std::make_unique<FileUse>(f));
    if (f.EnsureOpen() != kDone) return false;
  }
  ListWindow w(files, ui, catalog, decl, mode, parent);
  if (!range.empty()) {
    w.panel()->setRange(range);
    w.panel()->first();
  }
  if (w.exec() != QDialog::Accepted || mode != ListMode::Select) return false;
  if (!picked) return true;
  return w.panel()->currentRecord(*picked);
}

}  // namespace vel::qt
