// The print preview: a finished report shown one page at a time, printed
// only when the user accepts it with "Print".
//
// Zoom choices "No Zoom" (the whole page in the window), "Page Width" and
// 50% to 300% of the paper's real size; "Page" n "of" m; previous and next
// page; a jump window ("Enter a page number from 1 to" m). The File menu
// holds "P&rint Setup..." and "Save as PDF...".
#pragma once

#include <QDialog>
#include <QPrinter>

#include <functional>
#include <memory>
#include <vector>

#include "reports/Document.h"
#include "reports/ReportFrame.h"

class QComboBox;
class QLabel;
class QMenuBar;
class QPushButton;
class QScrollArea;

namespace vel::qt {

class PrintPreviewWindow : public QDialog {
  Q_OBJECT

 public:
  explicit PrintPreviewWindow(report::Document doc, QWidget* parent = nullptr);
  ~PrintPreviewWindow() override;

  static const QStringList& zoomChoices();

  int pageCount() const { return static_cast<int>(pages_.size()); }
  int currentPage() const { return current_ + 1; }
  QString pageIndicator() const;  // "Page 2 of 5"
  QString jumpPrompt() const;     // "Enter a page number from 1 to 5"
  const report::Document& document() const { return doc_; }

  void showPage(int number);  // 1-based; out of range is ignored
  void nextPage() { showPage(currentPage() + 1); }
  void previousPage() { showPage(currentPage() - 1); }
  void setZoom(const QString& choice);
  QString zoom() const;

  // The page at the current zoom, as shown.
  QImage shownImage() const;

  // How "Print" obtains its printer: by default the print dialog; tests put
  // a PDF printer in its place. False means the user cancelled.
  std::function<bool(QPrinter&)> askPrinter;
  // How "Save as PDF..." obtains its file name (default: a file dialog).
  std::function<QString()> askPdfName;

  bool printed() const { return printed_; }

 public slots:
  void print();      // accept the preview: print all pages, then close
  void askJump();    // the jump window
  void printSetup();
  void saveAsPdf();

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void render();
  void toTop();  // the new page or zoom starts at the page's top-left corner
  double pixelsPerMm() const;

  report::Document doc_;
  std::vector<report::Page> pages_;
  int current_ = 0;
  bool printed_ = false;
  QPrinter printer_;

  QMenuBar* menu_ = nullptr;
  QComboBox* zoomBox_ = nullptr;
  QLabel* indicator_ = nullptr;
  QLabel* pageView_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QPushButton* prev_ = nullptr;
  QPushButton* next_ = nullptr;
};

// Shows each document in the preview and prints it when the user accepts.
class PreviewOutput : public ReportOutput {
 public:
  explicit PreviewOutput(QWidget* parent = nullptr) : parent_(parent) {}
  void present(const report::Document& doc) override;

 private:
  QWidget* parent_;
};

// Writes each document to a PDF file (the headless tool's output).
class PdfOutput : public ReportOutput {
 public:
  explicit PdfOutput(std::string path) : path_(std::move(path)) {}
  void present(const report::Document& doc) override;
  bool ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = false;
};

}  // namespace vel::qt
