// Painting laid-out report pages onto any paint device: the preview's page
// image, a printer, a PDF file.
//
// Pages are in paper millimetres (reports/Document.h); the painter converts
// them with the device's own resolution, so the same page comes out the same
// size on every device and text keeps its point size relative to the paper.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include <string>
#include <vector>

#include "reports/Document.h"

class QPainter;
class QPrinter;

namespace vel::qt {

// The font a report text is painted in: DejaVu Sans at the item's size,
// without ligatures or kerning, so that its width is what report::textMm
// measured.
QFont reportFont(const report::Font& f);

// Paints one page with its top-left corner at the device's origin.
void paintPage(QPainter& painter, const report::Page& page);

// The page as an image of `pixelsPerMm` pixels to the millimetre on white.
QImage pageImage(const report::Document& doc, const report::Page& page, double pixelsPerMm);

// Prints every page on `printer` (its paper set to the document's page).
// False when the printer could not be started.
bool printPages(const report::Document& doc, const std::vector<report::Page>& pages,
                QPrinter& printer);

// Writes the document as a PDF file. Works without a display: when the
// program has no GUI application object, one is made on the off-screen
// platform for the length of the call (fonts need it). False when the file
// could not be written.
bool renderPdf(const report::Document& doc, const std::string& path);

}  // namespace vel::qt
