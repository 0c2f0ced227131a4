#include "reports/qt/PagePainter.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>

#include <memory>

namespace vel::qt {


QFont reportFont(const report::Font& f) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  // Plain glyphs, one per character: a ligature ("fi") makes a PDF's text
  // unsearchable ("Profit" would not be found), and without kerning a text
  // is exactly as wide as report::textMm says, so no cell cuts it off.
  font.setStyleStrategy(QFont::PreferNoShaping);
  font.setKerning(false);
  font.setHintingPreference(QFont::PreferNoHinting);  // design widths on screen too
  font.setPointSizeF(f.points);
  font.setBold(f.bold);
  return font;
}

namespace {

int flagsFor(report::Align a) {
  switch (a) {
    case report::Align::Centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case report::Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case report::Align::Left: break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QPageLayout layoutFor(const report::Document& doc) {
  const report::PageSetup& p = doc.page;
  const bool landscape = p.landscape();
  QSizeF portrait = landscape ? QSizeF(p.heightMm, p.widthMm) : QSizeF(p.widthMm, p.heightMm);
  return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                     QPageLayout::Millimeter);
}

// A GUI application object on the off-screen platform, for callers that
// have none (the headless tool): text cannot be laid out without one.
class HeadlessGui {
 public:
  HeadlessGui() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "velmora";
    static char* argv[] = {name, nullptr};
    // No display is needed to lay out text in a file; the platform plugin
    // is chosen here so that a machine without one still writes the PDF.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  bool usable() const { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()); }

 private:
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace

void paintPage(QPainter& painter, const report::Page& page) {
  QPaintDevice* dev = painter.device();
  const double sx = dev->logicalDpiX() / 25.4, sy = dev->logicalDpiY() / 25.4;
  painter.save();
  QPen pen(Qt::black);
  pen.setWidthF(0.25 * sx);  // a quarter-millimetre rule
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  for (const report::Item& it : page.items) {
    const QRectF r(it.x * sx, it.y * sy, it.w * sx, it.h * sy);
    switch (it.kind) {
      case report::Item::Kind::Line:
        painter.drawLine(QPointF(r.left(), r.top()), QPointF(r.right(), r.bottom()));
        break;
      case report::Item::Kind::Box:
        painter.drawRect(r);
        break;
      case report::Item::Kind::Text:
        painter.setFont(reportFont(it.font));
        painter.save();
        painter.setClipRect(r.adjusted(0, -r.height(), 0, r.height()));  // cut at the sides only
        painter.drawText(r, flagsFor(it.align) | Qt::TextSingleLine,
                         QString::fromStdString(it.text));
        painter.restore();
        break;
    }
  }
  painter.restore();
}

QImage pageImage(const report::Document& doc, const report::Page& page, double pixelsPerMm) {
  QImage img(qRound(doc.page.widthMm * pixelsPerMm), qRound(doc.page.heightMm * pixelsPerMm),
             QImage::Format_RGB32);
  const int dpm = qRound(pixelsPerMm * 1000);
  img.setDotsPerMeterX(dpm);
  img.setDotsPerMeterY(dpm);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  paintPage(p, page);
  return img;
}

bool printPages(const report::Document& doc, const std::vector<report::Page>& pages,
                QPrinter& printer) {
  printer.setFullPage(true);
  printer.setPageLayout(layoutFor(doc));
  QPainter p;
  if (!p.begin(&printer)) return false;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) printer.newPage();
    paintPage(p, pages[i]);
  }
  return p.end();
}

bool renderPdf(const report::Document& doc, const std::string& path) {
  HeadlessGui gui;
  if (!gui.usable()) return false;
  QPdfWriter pdf(QString::fromStdString(path));
  pdf.setResolution(300);
  pdf.setCreator(QStringLiteral("Velmora Administration"));
  pdf.setTitle(QString::fromStdString(doc.title));
  pdf.setPageLayout(layoutFor(doc));
  const std::vector<report::Page> pages = report::paginate(doc);
  QPainter p;
  if (!p.begin(&pdf)) return false;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) pdf.newPage();
    paintPage(p, pages[i]);
  }
  return p.end();
}

}  // namespace vel::qt
