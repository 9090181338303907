#pragma once
// Checks of laid-out pages shared by the print-out tests: long texts that must print
// whole, nothing in the page footer's band, headings kept with what they head, and
// texts that fit their fields with a gap between neighbours.

#include "printing/ModeloPaginas.h"

#include <QString>
#include <QStringList>

namespace slxtest {

// A note of n numbered lines ("Note line 001 ..."), joined by CR LF as typed.
QString longNote(int lines);
// The lines of longNote(lines), one by one.
QStringList longNoteLines(int lines);
// Sets the 30 disabled intervals of the shared state, every slot used.
void setAllDisabledIntervals();

// The lines a field printed over every page, in order.
QStringList printedLines(const slx::ModeloPaginas &modelo, const QString &field);

// The first item of the body found in the footer band (from footerTop down) or below
// bottom, described; the footer's own items (footerFields, and unnamed lines in the
// band) must lie inside the band. Empty when none. Model units.
QString outsideBody(const slx::ModeloPaginas &modelo, double footerTop, double bottom,
                    const QStringList &footerFields);

// A page where heading stands without an item named first below it, described;
// empty when none.
QString headingAlone(const slx::ModeloPaginas &modelo, const QString &heading, const QString &first);

// The texts of a page wider than their fields, and the neighbours on one line whose
// letters stand closer than gap (model units), described.
QStringList textsThatDoNotFit(const slx::ModeloPaginas &modelo, int page, double gap = 6);

// The text of a PDF file, its lines as they stand on the page (pdftotext -layout), empty when it cannot be read.
QString pdfText(const QString &pdf);
// The first of lines that text lacks after the one before it, or empty when text holds
// them all in their order.
QString missingInOrder(const QString &text, const QStringList &lines);

// The texts of every page that do not fit (as above).
QStringList textsThatDoNotFit(const slx::ModeloPaginas &modelo);

// What a print-out of a shipped layout shows wrong with a note of noteLines lines
// (longNote) and every disabled interval set (setAllDisabledIntervals): a note line
// lost or out of order, a memo line missing, an item in the page footer's band, a
// heading left without the first line of what it heads. Empty when none.
QStringList longTextProblems(const slx::ModeloPaginas &modelo, int noteLines);
// The same texts looked for in the PDF file printed: the note's lines and the memo's
// entries in order. Empty when all are there.
QString longTextMissingInPdf(const QString &pdf, const slx::ModeloPaginas &modelo, int noteLines);

} // namespace slxtest
