#include "maintenance/qt/RebuildWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace vel::qt {

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
}  // namespace

RebuildWindow::RebuildWindow(Engine& engine, std::string folder, std::string owner, QWidget* parent)
    : QDialog(parent), engine_(engine), folder_(std::move(folder)), owner_(std::move(owner)) {
  setObjectName("RebuildWindow");
  setWindowTitle("Rebuild Data Files");
  setModal(false);
  auto* layout = new QVBoxLayout(this);

  status_ = new QLabel(this);
  status_->setObjectName("Status");
  status_->setFrameShape(QFrame::StyledPanel);
  status_->setMinimumWidth(QFontMetrics(status_->font()).averageCharWidth() * kRebuildStatusWidth + 12);
  layout->addWidget(status_);

  problems_ = new QListWidget(this);
  problems_->setObjectName("Problems");
  problems_->setMinimumHeight(90);
  problems_->setWordWrap(true);
  problems_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  problems_->hide();
  layout->addWidget(problems_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  process_ = new QPushButton("&Process", this);
  process_->setObjectName("Process");
  process_->setDefault(true);
  cancel_ = new QPushButton("&Cancel", this);
  cancel_->setObjectName("Cancel");
  buttons->addWidget(process_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);

  connect(process_, &QPushButton::clicked, this, &RebuildWindow::process);
  connect(cancel_, &QPushButton::clicked, this, &RebuildWindow::close);
  setStatus(q(kRebuildReady));
}

RebuildWindow::~RebuildWindow() {
  // Going with the frame: the files are given back before the end.
  if (worker_) worker_->wait();
}

void RebuildWindow::setStatus(const QString& text) { status_->setText(text.left(kRebuildStatusWidth)); }

void RebuildWindow::process() {
  if (worker_) return;
  process_->setEnabled(false);
  cancel_->setEnabled(false);
  problems_->clear();
  problems_->hide();
  setCursor(Qt::WaitCursor);
  running_ = std::make_shared<RebuildReport>();
  QPointer<RebuildWindow> self(this);
  auto report = running_;
  worker_ = QThread::create([this, self, report] {
    *report = rebuildIndexes(engine_, folder_, owner_, [self](std::string_view s) {
      QString text = q(s);
      QMetaObject::invokeMethod(
          self.data(), [self, text] { if (self) self->setStatus(text); }, Qt::QueuedConnection);
    });
  });
  connect(worker_, &QThread::finished, this, &RebuildWindow::done);
  worker_->start();
}

void RebuildWindow::done() {
  worker_->deleteLater();
  worker_ = nullptr;
  report_ = *running_;
  running_.reset();
  setStatus(q(report_.finalStatus()));
  for (const auto& p : report_.problems) problems_->addItem(q(p.line));
  problems_->setVisible(!report_.problems.empty());
  unsetCursor();
  process_->setEnabled(true);
  cancel_->setEnabled(true);
  emit finished();
}

void RebuildWindow::closeEvent(QCloseEvent* e) {
  if (worker_) {
    e->ignore();
    return;
  }
  QDialog::closeEvent(e);
}

void RebuildWindow::reject() {
  if (!worker_) QDialog::reject();
}

}  // namespace vel::qt
