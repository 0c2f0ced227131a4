#include "shell/qt/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/SettingsFile.h"
#include "shell/Globals.h"
#include "shell/MenuTable.h"
#include "shell/Procedures.h"
#include "shell/ShellUi.h"

namespace vel::qt {

namespace {

QString q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The frame's wallpaper, stretched over the client area.
class Wallpaper : public QWidget {
 public:
  explicit Wallpaper(QWidget* parent) : QWidget(parent), image_(":/bluegradient.jpg") {
    setObjectName("Wallpaper");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (image_.isNull())
      p.fillRect(rect(), QColor(0x1d, 0x4f, 0x8f));
    else
      p.drawImage(rect(), image_);
  }

 private:
  QImage image_;
};

constexpr const char* kPlacementSection = "__Dont_Touch_Me__";

}  // namespace
}  // namespace vel::qt

// The wallpaper lives in the library's resources, which a static library
// must register itself.
static void initShellResources() { Q_INIT_RESOURCE(shell); }

namespace vel::qt {

MainFrame::MainFrame(Startup& startup, ShellUi& ui, const ProcedureTable& procedures,
                     SettingsFile& settings, QWidget* parent)
    : QMainWindow(parent),
      startup_(startup),
      ui_(ui),
      procedures_(procedures),
      settings_(settings),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  initShellResources();
  setObjectName("Main");
  setWindowTitle(q(startup_.title()));
  setCentralWidget(new Wallpaper(this));
  buildMenu();

  // Zone 1 the menu hint, 2 the user, 3 day and date, 4 the time.
  for (int i = 1; i <= 4; ++i) {
    auto* z = new QLabel(this);
    z->setObjectName(QString("Zone%1").arg(i));
    z->setContentsMargins(4, 0, 4, 0);
    zones_.push_back(z);
    if (i == 1)
      statusBar()->addWidget(z, 1);
    else
      statusBar()->addPermanentWidget(z);
  }
  clock_ = new QTimer(this);
  clock_->setInterval(1000);
  connect(clock_, &QTimer::timeout, this, &MainFrame::refreshClock);
  resize(1000, 700);
  restorePlacement();
}

MainFrame::~MainFrame() {
  for (auto& t : threads_)
    if (t) t->wait();
}

void MainFrame::buildMenu() {
  menuBar()->setObjectName("MenuBar");
  for (const Menu& m : mainMenu()) {
    QMenu* menu = menuBar()->addMenu(q(m.text));
    menu->setObjectName(q(m.control));
    menu->menuAction()->setObjectName(q(m.control));
    for (const MenuItem& item : m.items) {
      if (item.how == MenuHow::Separator) {
        menu->addSeparator()->setObjectName(q(item.control));
        continue;
      }
      QAction* a = menu->addAction(q(item.text));
      a->setObjectName(q(item.control));
      QString tip = item.tip.empty() ? q(item.text).remove(QLatin1Char('&')) : q(item.tip);
      a->setStatusTip(tip);
      a->setToolTip(tip);
      const MenuItem* it = &item;
      connect(a, &QAction::triggered, this, [this, it] { select(*it); });
    }
  }
}

Startup::Outcome MainFrame::openFrame() {
  const Startup::Outcome r = startup_.open();
  if (r != Startup::Outcome::Running) return r;
  setWindowTitle(q(startup_.title()));
  zones_[1]->setText(q(startup_.userZone()));
  refreshClock();
  clock_->start();
  return r;
}

void MainFrame::refreshClock() {
  zones_[2]->setText(q(startup_.dayZone()));
  zones_[3]->setText(q(startup_.timeZone()));
}

bool MainFrame::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    zones_[0]->setText(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

void MainFrame::choose(const QString& control) {
  if (const MenuItem* item = findMenuItem(control.toStdString())) select(*item);
}

void MainFrame::select(const MenuItem& item) {
  if (item.how == MenuHow::System) {
    if (item.control == "EXIT") {
      close();
    } else if (item.control == "PRINTSETUP") {
      QPrintDialog setup(printer_.get(), this);
      setup.setWindowTitle("Print Setup");
      setup.setOptions(QAbstractPrintDialog::PrintShowPageSize);
      setup.exec();
    }
    return;
  }
  if (!menuAccess(item, ui_)) return;
  if (item.how == MenuHow::NewThread) {
    startThreaded(item);
    return;
  }
  if (const ProcedureTable::Run* run = procedures_.find(item.procedure)) (*run)();
}

void MainFrame::startThreaded(const MenuItem& item) {
  const ProcedureTable::Work* work = procedures_.findThreaded(item.procedure);
  if (!work) return;
  // A window of its own that stays while the work runs; the frame stays usable.
  auto* window = new QDialog(this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setObjectName(q(item.procedure));
  window->setWindowTitle(q(item.text).remove(QLatin1Char('&')));
  window->setModal(false);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(new QLabel("Working, please wait...", window));
  auto* bar = new QProgressBar(window);
  bar->setRange(0, 0);
  layout->addWidget(bar);
  window->show();

  // The work runs on a thread of its own, with its own record buffers; what it
  // hands back runs here, on the frame's thread, once the thread has ended.
  auto result = std::make_shared<ProcedureTable::Run>();
  QThread* thread = QThread::create([work = *work, result] { *result = work(); });
  threads_.emplace_back(thread);
  connect(thread, &QThread::finished, this, [this, thread, window, result] {
    std::erase_if(threads_, [thread](const QPointer<QThread>& t) { return t == thread; });
    thread->deleteLater();
    window->close();
    if (*result) (*result)();
  });
  thread->start();
}

void MainFrame::closeEvent(QCloseEvent* e) {
  if (!threads_.empty()) {
    // Procedures on their own threads finish their file work before the end.
    // Their boxes are shown by this thread, so it keeps serving them meanwhile.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    while (!threads_.empty()) {  // each thread's end removes it from the list
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      QThread::msleep(10);
    }
    QGuiApplication::restoreOverrideCursor();
  }
  clock_->stop();
  savePlacement();
  e->accept();
}

void MainFrame::restorePlacement() {
  const std::string g = settings_.get(kPlacementSection, "Main");
  if (g.empty()) return;
  restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(g)));
}

void MainFrame::savePlacement() {
  settings_.set(kPlacementSection, "Main", saveGeometry().toBase64().toStdString());
  settings_.set(kPlacementSection, "Sectors", "1");
}

}  // namespace vel::qt
