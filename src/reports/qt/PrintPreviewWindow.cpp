#include "reports/qt/PrintPreviewWindow.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "reports/qt/PagePainter.h"

namespace vel::qt {

namespace {

constexpr int kMargin = 12;  // pixels of grey around the page in the view
const QSize kFrameRoom(24, 48);  // the window manager's frame and title bar

}  // namespace

const QStringList& PrintPreviewWindow::zoomChoices() {
  static const QStringList z = {"No Zoom", "Page Width", "50%", "75%", "100%", "200%", "300%"};
  return z;
}

PrintPreviewWindow::PrintPreviewWindow(report::Document doc, QWidget* parent)
    : QDialog(parent), doc_(std::move(doc)), pages_(report::paginate(doc_)) {
  setWindowTitle(QStringLiteral("Print Preview - %1").arg(QString::fromStdString(doc_.title)));
  setObjectName(QStringLiteral("PrintPreview"));

  menu_ = new QMenuBar(this);
  QMenu* file = menu_->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("P&rint Setup..."), this, &PrintPreviewWindow::printSetup)
      ->setObjectName(QStringLiteral("PRINTSETUP"));
  file->addAction(QStringLiteral("Save as PDF..."), this, &PrintPreviewWindow::saveAsPdf)
      ->setObjectName(QStringLiteral("SAVEPDF"));
  file->addSeparator();
  file->addAction(QStringLiteral("&Close"), this, &QDialog::reject);

  auto* printButton = new QPushButton(QStringLiteral("Print"), this);
  printButton->setObjectName(QStringLiteral("Print"));
  prev_ = new QPushButton(QStringLiteral("< &Previous"), this);
  next_ = new QPushButton(QStringLiteral("&Next >"), this);
  auto* jump = new QPushButton(QStringLiteral("&Go to Page..."), this);
  zoomBox_ = new QComboBox(this);
  zoomBox_->addItems(zoomChoices());
  zoomBox_->setCurrentText(QStringLiteral("Page Width"));
  indicator_ = new QLabel(this);
  indicator_->setObjectName(QStringLiteral("PageIndicator"));
  auto* close = new QPushButton(QStringLiteral("&Cancel"), this);

  auto* bar = new QHBoxLayout;
  bar->addWidget(printButton);
  bar->addSpacing(12);
  bar->addWidget(prev_);
  bar->addWidget(next_);
  bar->addWidget(jump);
  bar->addSpacing(12);
  bar->addWidget(new QLabel(QStringLiteral("Zoom:"), this));
  bar->addWidget(zoomBox_);
  bar->addSpacing(12);
  bar->addWidget(indicator_);
  bar->addStretch(1);
  bar->addWidget(close);

  pageView_ = new QLabel;
  pageView_->setAlignment(Qt::AlignCenter);
  pageView_->setMargin(kMargin);
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(pageView_);
  scroll_->setWidgetResizable(false);
  scroll_->setAlignment(Qt::AlignCenter);
  scroll_->setBackgroundRole(QPalette::Dark);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menu_);
  layout->addLayout(bar);
  layout->addWidget(scroll_, 1);

  connect(printButton, &QPushButton::clicked, this, &PrintPreviewWindow::print);
  connect(prev_, &QPushButton::clicked, this, [this] { previousPage(); });
  connect(next_, &QPushButton::clicked, this, [this] { nextPage(); });
  connect(jump, &QPushButton::clicked, this, &PrintPreviewWindow::askJump);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(zoomBox_, &QComboBox::currentTextChanged, this, [this] {
    render();
    toTop();
  });

  askPrinter = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print"));
    return dialog.exec() == QDialog::Accepted;
  };
  askPdfName = [this] {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save as PDF"),
                                        QString::fromStdString(doc_.title) + ".pdf",
                                        QStringLiteral("PDF files (*.pdf)"));
  };

  // As tall as a page wants but never taller than the screen: on a small
  // screen (1280 x 800) the buttons and the page all stay in view.
  QSize size(900, 1000);
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen) size = size.boundedTo(screen->availableGeometry().size() - kFrameRoom);
  resize(size);
  render();
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

QString PrintPreviewWindow::pageIndicator() const {
  return QStringLiteral("Page %1 of %2").arg(currentPage()).arg(pageCount());
}

QString PrintPreviewWindow::jumpPrompt() const {
  return QStringLiteral("Enter a page number from 1 to %1").arg(pageCount());
}

void PrintPreviewWindow::showPage(int number) {
  if (number < 1 || number > pageCount()) return;
  current_ = number - 1;
  render();
  toTop();
}

void PrintPreviewWindow::setZoom(const QString& choice) { zoomBox_->setCurrentText(choice); }

QString PrintPreviewWindow::zoom() const { return zoomBox_->currentText(); }

double PrintPreviewWindow::pixelsPerMm() const {
  const QString z = zoom();
  const QSize view = scroll_->viewport()->size() - QSize(2 * kMargin, 2 * kMargin);
  const double byWidth = std::max(1, view.width()) / doc_.page.widthMm;
  if (z == QLatin1String("Page Width")) return byWidth;
  if (z == QLatin1String("No Zoom"))
    return std::min(byWidth, std::max(1, view.height()) / doc_.page.heightMm);
  QString digits = z;
  digits.chop(1);  // the "%"
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double screenPerMm = (screen ? screen->logicalDotsPerInch() : 96.0) / 25.4;
  return screenPerMm * digits.toDouble() / 100.0;
}

QImage PrintPreviewWindow::shownImage() const { return pageView_->pixmap().toImage(); }

void PrintPreviewWindow::render() {
  indicator_->setText(pageIndicator());
  prev_->setEnabled(current_ > 0);
  next_->setEnabled(currentPage() < pageCount());
  pageView_->setPixmap(QPixmap::fromImage(pageImage(doc_, pages_[current_], pixelsPerMm())));
  pageView_->adjustSize();
}

void PrintPreviewWindow::toTop() {
  scroll_->verticalScrollBar()->setValue(0);
  scroll_->horizontalScrollBar()->setValue(0);
}

void PrintPreviewWindow::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  // The scroll area takes its new size when the layout runs, after this
  // event: fit the page once it has.
  if (zoom() == QLatin1String("No Zoom") || zoom() == QLatin1String("Page Width"))
    QTimer::singleShot(0, this, [this] { render(); });
}

void PrintPreviewWindow::askJump() {
  bool ok = false;
  int n = QInputDialog::getInt(this, QStringLiteral("Go to Page"), jumpPrompt(), currentPage(), 1,
                               pageCount(), 1, &ok);
  if (ok) showPage(n);
}

void PrintPreviewWindow::print() {
  if (!askPrinter || !askPrinter(printer_)) return;
  printed_ = printPages(doc_, pages_, printer_);
  if (printed_) accept();
}

void PrintPreviewWindow::printSetup() {
  QPageSetupDialog dialog(&printer_, this);
  dialog.exec();
}

void PrintPreviewWindow::saveAsPdf() {
  if (!askPdfName) return;
  const QString name = askPdfName();
  if (!name.isEmpty()) renderPdf(doc_, name.toStdString());
}

void PreviewOutput::present(const report::Document& doc) {
  PrintPreviewWindow w(doc, parent_);
  w.exec();
}

void PdfOutput::present(const report::Document& doc) { ok_ = renderPdf(doc, path_); }

}  // namespace vel::qt
