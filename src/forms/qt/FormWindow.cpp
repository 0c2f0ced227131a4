#include "forms/qt/FormWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "forms/Catalog.h"
#include "forms/EntryText.h"
#include "forms/qt/ListWindow.h"
#include "recordstore/DataFiles.h"
#include "shell/qt/DateRangeWindow.h"

namespace vel::qt {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

int choiceIndex(const EntryDecl& e, const FieldRef& f) {
  for (int k = 0; k < static_cast<int>(e.choices.size()); ++k) {
    if (f.isText()) {
      if (rtrim(f.text()) == e.choices[static_cast<std::size_t>(k)]) return k;
    } else {
      std::int64_t v = k < static_cast<int>(e.choiceValues.size())
                           ? e.choiceValues[static_cast<std::size_t>(k)]
                           : k;
      if (f.whole() == v) return k;
    }
  }
  // A number field whose value names no choice shows the last one ("No").
  return f.isText() ? -1 : static_cast<int>(e.choices.size()) - 1;
}

void setChoice(const EntryDecl& e, const FieldRef& f, int k) {
  if (k < 0) return;
  if (f.isText()) {
    f.text() = e.choices[static_cast<std::size_t>(k)];
  } else {
    f.whole() = k < static_cast<int>(e.choiceValues.size()) ? e.choiceValues[static_cast<std::size_t>(k)]
                                                           : k;
  }
}

}  // namespace

FormWindow::FormWindow(FormCycle& cycle, DataFiles& files, Ui& ui, const Catalog& catalog,
                       QWidget* parent)
    : QDialog(parent), cycle_(cycle), files_(files), ui_(ui), catalog_(catalog) {
  const FormDecl& decl = cycle.decl();
  setObjectName(q(decl.procedure));
  setWindowTitle(q(cycle.caption()));
  auto* outer = new QVBoxLayout(this);
  if (!decl.title.empty()) {
    auto* heading = new QLabel(q(decl.title), this);
    QFont f = heading->font();
    f.setBold(true);
    heading->setFont(f);
    outer->addWidget(heading);
  }
  auto* tabs = new QTabWidget(this);
  outer->addWidget(tabs);
  int i = 0;
  for (const TabDecl& t : decl.tabs) {
    auto* page = new QWidget(tabs);
    auto* form = new QFormLayout(page);
    for (const EntryDecl& e : t.entries) {
      QWidget* w = makeEntry(i, e, page);
      widgets_.push_back(w);
      if (e.kind == EntryKind::Note) {
        form->addRow(w);
      } else {
        auto* label = new QLabel(q(e.prompt), page);
        if (e.red) label->setStyleSheet("color: #c00000;");
        // The lookup button sits beside its entry.
        if (!e.lookup.list.empty() || e.kind == EntryKind::Day) {
          auto* row = new QWidget(page);
          auto* h = new QHBoxLayout(row);
          h->setContentsMargins(0, 0, 0, 0);
          h->addWidget(w, 1);
          auto* b = new QToolButton(row);
          b->setText("...");
          b->setObjectName(q((e.field.empty() ? std::string("entry") : e.field) + "_lookup"));
          b->setEnabled(!cycle.readOnly() && !e.readOnly);
          if (e.kind == EntryKind::Day) {
            // A date is typed; the calendar is for the mouse or F4, so Tab
            // goes from the date straight on to the next entry.
            b->setFocusPolicy(Qt::NoFocus);
            b->setToolTip("Choose the date from a calendar (F4)");
            connect(b, &QToolButton::clicked, this, [this, i] { pickDate(i); });
            auto* f4 =
                new QShortcut(QKeySequence(Qt::Key_F4), w, nullptr, nullptr, Qt::WidgetShortcut);
            f4->setEnabled(b->isEnabled());
            connect(f4, &QShortcut::activated, this, [this, i] { pickDate(i); });
          } else {
            connect(b, &QToolButton::clicked, this, [this, i] { lookupPressed(i); });
          }
          h->addWidget(b);
          form->addRow(label, row);
        } else {
          form->addRow(label, w);
        }
        label->setBuddy(w);
      }
      ++i;
    }
    tabs->addTab(page, q(t.name));
  }
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(q(decl.okText), QDialogButtonBox::AcceptRole);
  ok_->setObjectName("OK");
  ok_->setToolTip(q(decl.okTip));
  ok_->setDefault(true);
  cancel_ = buttons->addButton(q(decl.cancelText), QDialogButtonBox::RejectRole);
  cancel_->setObjectName("Cancel");
  cancel_->setToolTip(q(decl.cancelTip));
  connect(ok_, &QPushButton::clicked, this, &FormWindow::okPressed);
  connect(cancel_, &QPushButton::clicked, this, &FormWindow::reject);
  outer->addWidget(buttons);

  // The recall key: each form names its own (Ctrl+H or Ctrl+'), and both
  // work on every form, so the key that message 8 names ("Ctrl+H") and the
  // one a clerk has learnt on another form always bring the value back.
  for (QKeySequence key :
       {QKeySequence(Qt::CTRL | Qt::Key_H), QKeySequence(Qt::CTRL | Qt::Key_Apostrophe)}) {
    auto* sc = new QShortcut(key, this);
    connect(sc, &QShortcut::activated, this, &FormWindow::recallPressed);
  }

  showAll();
  const int first = cycle.firstEditable();
  focusEntry(first);
  QTimer::singleShot(0, this, [this, first] { focusEntry(first); });
}

FormWindow::~FormWindow() {
  // The entries lose the focus while the dialog's children are destroyed;
  // their completion signals must not reach this half-destroyed window.
  closing_ = true;
  for (QWidget* w : widgets_) {
    w->disconnect(this);
    for (QObject* child : w->children()) child->disconnect(this);
  }
}

QWidget* FormWindow::makeEntry(int i, const EntryDecl& e, QWidget* page) {
  bool ro = cycle_.readOnly() || e.readOnly;
  QString name = q(e.field.empty() ? "note" + std::to_string(i) : e.field);
  switch (e.kind) {
    case EntryKind::Note: {
      auto* l = new QLabel(q(e.prompt), page);
      l->setWordWrap(true);
      return l;
    }
    case EntryKind::Check: {
      auto* c = new QCheckBox(page);
      c->setObjectName(name);
      c->setEnabled(!ro);
      connect(c, &QCheckBox::toggled, this, [this, i] { completed(i); });
      return c;
    }
    case EntryKind::Radio: {
      auto* box = new QWidget(page);
      box->setObjectName(name);
      auto* h = new QHBoxLayout(box);
      h->setContentsMargins(0, 0, 0, 0);
      auto* group = new QButtonGroup(box);
      for (int k = 0; k < static_cast<int>(e.choices.size()); ++k) {
        auto* r = new QRadioButton(q(e.choices[static_cast<std::size_t>(k)]), box);
        r->setEnabled(!ro);
        group->addButton(r, k);
        h->addWidget(r);
      }
      h->addStretch();
      connect(group, &QButtonGroup::idClicked, this, [this, i] { completed(i); });
      return box;
    }
    case EntryKind::Choice: {
      auto* c = new QComboBox(page);
      c->setObjectName(name);
      for (const auto& s : e.choices) c->addItem(q(s));
      c->setEnabled(!ro);
      connect(c, &QComboBox::activated, this, [this, i] { completed(i); });
      return c;
    }
    default: break;
  }
  auto* edit = new QLineEdit(page);
  edit->setObjectName(name);
  edit->setReadOnly(ro);
  if (!e.tip.empty()) edit->setToolTip(q(e.tip));
  if (e.kind == EntryKind::Password) edit->setEchoMode(QLineEdit::Password);
  if (!e.field.empty()) {
    FieldRef f = cycle_.field(i);
    if (f.isText()) edit->setMaxLength(f.desc().width);
    if (e.kind == EntryKind::Number) edit->setAlignment(Qt::AlignRight);
    int chars = f.isText() ? f.desc().width : 12;
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance('M') * std::min(chars, 40) / 1);
  }
  connect(edit, &QLineEdit::editingFinished, this, [this, i] { completed(i); });
  return edit;
}

void FormWindow::display(int i) {
  const EntryDecl& e = *cycle_.entries()[static_cast<std::size_t>(i)];
  if (e.field.empty()) return;
  FieldRef f = cycle_.field(i);
  QWidget* w = widgets_[static_cast<std::size_t>(i)];
  QSignalBlocker block(w);
  switch (e.kind) {
    case EntryKind::Check:
      // A box on a text field is ticked when the field holds its first choice.
      static_cast<QCheckBox*>(w)->setChecked(f.isText() ? choiceIndex(e, f) == 0 && !e.choices.empty()
                                                         : f.whole() == 1);
      return;
    case EntryKind::Radio: {
      auto* group = w->findChild<QButtonGroup*>();
      QSignalBlocker b2(group);
      int k = choiceIndex(e, f);
      if (k >= 0 && group->button(k)) group->button(k)->setChecked(true);
      return;
    }
    case EntryKind::Choice: {
      int k = choiceIndex(e, f);
      static_cast<QComboBox*>(w)->setCurrentIndex(k);
      return;
    }
    default: break;
  }
  static_cast<QLineEdit*>(w)->setText(q(fieldText(f, e.picture, e.kind)));
}

void FormWindow::showAll() {
  for (int i = 0; i < static_cast<int>(widgets_.size()); ++i) display(i);
}

bool FormWindow::take(int i) {
  const EntryDecl& e = *cycle_.entries()[static_cast<std::size_t>(i)];
  if (e.field.empty() || e.readOnly || cycle_.readOnly()) return true;
  FieldRef f = cycle_.field(i);
  QWidget* w = widgets_[static_cast<std::size_t>(i)];
  switch (e.kind) {
    case EntryKind::Check:
      if (f.isText()) {
        // Ticked: the first choice. Cleared: the second, when the field held
        // the first; any other value (a third choice) stays as it is.
        if (e.choices.size() >= 2) {
          if (static_cast<QCheckBox*>(w)->isChecked())
            setChoice(e, f, 0);
          else if (choiceIndex(e, f) == 0)
            setChoice(e, f, 1);
        }
        return true;
      }
      f.whole() = static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0;
      return true;
    case EntryKind::Radio:
      setChoice(e, f, w->findChild<QButtonGroup*>()->checkedId());
      return true;
    case EntryKind::Choice:
      setChoice(e, f, static_cast<QComboBox*>(w)->currentIndex());
      return true;
    default: break;
  }
  return cycle_.enter(i, static_cast<QLineEdit*>(w)->text().toStdString());
}

void FormWindow::hold(int i) {
  if (auto* edit = qobject_cast<QLineEdit*>(widgets_[static_cast<std::size_t>(i)]))
    cycle_.hold(i, edit->text().toStdString());
  else
    take(i);
}

void FormWindow::completed(int i) {
  if (busy_ || closing_) return;
  // A text entry is checked when the clerk leaves it after typing in it; an
  // entry only passed through is checked by OK. So two refused entries never
  // hand the focus back and forth between them.
  auto* edit = qobject_cast<QLineEdit*>(widgets_[static_cast<std::size_t>(i)]);
  if (edit && !edit->isModified()) return;
  busy_ = true;
  bool ok = take(i) && cycle_.accept(i);
  FormCycle::Outcome then;
  if (ok && rules_.accepted) then = rules_.accepted(i);
  busy_ = false;
  if (!ok) {
    focusEntry(i);
    return;
  }
  if (edit) edit->setModified(false);
  // An entry's check may fill other fields (a date of birth and an age from
  // an identity number; two controls on one field): show them all, except
  // entries still holding text the clerk has typed and not completed.
  for (int j = 0; j < static_cast<int>(widgets_.size()); ++j) {
    auto* other = qobject_cast<QLineEdit*>(widgets_[static_cast<std::size_t>(j)]);
    if (j != i && other && other->isModified()) continue;
    display(j);
  }
  then.redisplay = false;  // shown just above
  apply(then);
}

void FormWindow::focusEntry(int i) {
  if (i < 0 || i >= static_cast<int>(widgets_.size())) return;
  QWidget* w = widgets_[static_cast<std::size_t>(i)];
  // Bring its tab forward first: a tab's page sits in the tab widget's
  // page stack.
  for (QWidget* page = w->parentWidget(); page && page->parentWidget(); page = page->parentWidget()) {
    if (auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget())) {
      tabs->setCurrentWidget(page);
      break;
    }
  }
  w->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
}

void FormWindow::apply(const FormCycle::Outcome& o) {
  if (o.redisplay) showAll();
  switch (o.action) {
    case FormCycle::Outcome::Close:
      closing_ = true;
      done(cycle_.response() == Response::Completed ? QDialog::Accepted : QDialog::Rejected);
      return;
    case FormCycle::Outcome::Focus:
      setWindowTitle(q(cycle_.caption()));
      focusEntry(o.entry);
      return;
    case FormCycle::Outcome::Stay:
      return;
  }
}

void FormWindow::okPressed() {
  if (busy_) return;
  busy_ = true;
  // What is typed in every entry goes to the cycle first; OK then refuses
  // the first entry, in order, whose text cannot be read or whose check fails.
  for (int i = 0; i < static_cast<int>(widgets_.size()); ++i) hold(i);
  FormCycle::Outcome o = rules_.ok ? rules_.ok() : cycle_.ok();
  busy_ = false;
  apply(o);
}

void FormWindow::reject() {
  if (busy_ || closing_) return;
  busy_ = true;
  // What is typed goes to the cycle without refusal boxes; typed text that
  // cannot be read counts as a change, so it is never lost without the
  // cancel question, and "Save Record" -> Yes refuses it as OK does.
  for (int i = 0; i < static_cast<int>(widgets_.size()); ++i) hold(i);
  FormCycle::Outcome o = rules_.leave ? rules_.leave() : cycle_.leave();
  busy_ = false;
  apply(o);
}

void FormWindow::closeEvent(QCloseEvent* e) {
  if (closing_) {
    e->accept();
    return;
  }
  e->ignore();
  reject();
}

int FormWindow::entryOf(QWidget* w) const {
  for (; w; w = w->parentWidget())
    for (int i = 0; i < static_cast<int>(widgets_.size()); ++i)
      if (widgets_[static_cast<std::size_t>(i)] == w) return i;
  return -1;
}

void FormWindow::recallPressed() {
  int i = entryOf(QApplication::focusWidget());
  if (i >= 0 && cycle_.recall(i)) display(i);
}

void FormWindow::lookupPressed(int i) {
  const EntryDecl& e = *cycle_.entries()[static_cast<std::size_t>(i)];
  const ListDecl* list = catalog_.list(e.lookup.list);
  if (!list) return;
  hold(i);
  Presets range;
  if (!e.lookup.rangeField.empty()) {
    FieldRef rf = cycle_.file().field(e.lookup.rangeField);
    range.emplace_back(e.lookup.rangeField, std::string(rtrim(rf.text())));
  }
  const Layout& theirs = files_.fm(list->file).layout();
  RecordBuffer picked(theirs);
  if (!runListWindow(files_, ui_, catalog_, *list, ListMode::Select, this, &picked, range)) return;
  auto copy = [&](const std::string& from, const std::string& to) {
    int a = theirs.fieldIndex(from), b = cycle_.file().layout().fieldIndex(to);
    if (a >= 0 && b >= 0) cycle_.file().field(b).assign(picked.field(a));
  };
  copy(e.lookup.fromField, e.field);
  for (const auto& f : e.lookup.alsoCopy) copy(f, f);
  if (rules_.picked) {
    FormCycle::Outcome o = rules_.picked(i, picked);
    if (o.action != FormCycle::Outcome::Stay) {
      showAll();
      apply(o);
      return;
    }
  }
  showAll();
  if (auto* edit = qobject_cast<QLineEdit*>(widgets_[static_cast<std::size_t>(i)])) edit->setModified(true);
  completed(i);
}

void FormWindow::pickDate(int i) {
  if (cycle_.readOnly() || cycle_.entries()[static_cast<std::size_t>(i)]->readOnly) return;
  FieldRef f = cycle_.field(i);
  hold(i);
  QDialog dlg(this);
  dlg.setWindowTitle("Select a Date");
  auto* cal = new QCalendarWidget(&dlg);
  cal->setSelectedDate(qdateFromDay(static_cast<int>(f.whole())));
  auto* lay = new QVBoxLayout(&dlg);
  lay->addWidget(cal);
  connect(cal, &QCalendarWidget::activated, &dlg, &QDialog::accept);
  auto* bb = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  connect(bb, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  connect(bb, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  lay->addWidget(bb);
  if (dlg.exec() != QDialog::Accepted) return;
  f.whole() = dayFromQDate(cal->selectedDate());
  display(i);
  static_cast<QLineEdit*>(widgets_[static_cast<std::size_t>(i)])->setModified(true);
  completed(i);
}

Response runFormWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const FormDecl& form,
                       Request request, const Presets& presets, QWidget* parent) {
  FormCycle cycle(files, ui, form, request);
  if (!cycle.open(presets)) return Response::Cancelled;
  FormWindow w(cycle, files, ui, catalog, parent);
  w.exec();
  return cycle.response();
}

}  // namespace vel::qt
