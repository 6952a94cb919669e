#pragma once

#include <QString>

class OutputFile;
class PageDocument;
class QPagedPaintDevice;
class QPainter;
class QSizeF;

// Draws page `number` (from 1) of the document. The painter's coordinates are twips from
// the top-left corner of the paper; the caller scales them to its device.
void paintPage(QPainter& painter, const PageDocument& document, int number);

// Paints every page on a device (a PDF writer, a printer) whose painter starts at the
// paper's top-left corner; paperPixels is the device's paper in its pixels. Paper smaller
// than the document's gets each page whole, shrunk to fit. False, with the reason in *error,
// when the device does not take the pages.
bool paintDocument(const PageDocument& document, QPagedPaintDevice& device,
                   const QSizeF& paperPixels, QString* error = nullptr);

// Writes every page of the document to a PDF file, as OutputFile writes any output: a file
// is replaced only once complete, so a failure never leaves a half-written file nor harms
// one that was already there; a pipe or a device is written to directly, and never
// replaced. False, with the reason in *error, when the pages did not all reach the file.
bool writePdf(const PageDocument& document, const QString& fileName, QString* error = nullptr);
bool writePdf(const PageDocument& document, OutputFile& file, QString* error = nullptr);
