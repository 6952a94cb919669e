#include "PagePainter.h"

#include "PageDocument.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void paintCells(QPainter& painter, const QList<PageCell>& cells) {
    const double spacing = PageDocument::lineSpacing(painter.font());
    for (const PageCell& cell : cells) {
        if (cell.text.isEmpty())
            continue;
        // The text was fitted to its box when it was laid out; the clip holds it there
        // should a device measure a hair wider.
        painter.save();
        painter.setClipRect(cell.rect, Qt::IntersectClip);
        QRectF box = cell.rect;
        if (cell.stretch < 1) {
            painter.translate(box.left(), 0);
            painter.scale(cell.stretch, 1);
            box = QRectF(0, box.top(), box.width() / cell.stretch, box.height());
        }
        // Every cell of a row starts on the row's first line, however many lines its
        // neighbours take.
        box.setHeight(std::min(box.height(), PageDocument::lineHeight(painter.font())));
        for (const QString& line : cell.lines()) {
            painter.drawText(box, int(cell.alignment | Qt::AlignVCenter | Qt::TextSingleLine),
                             line);
            box.translate(0, spacing);
        }
        painter.restore();
    }
}

QPageLayout layoutOf(const PageDocument& document) {
    return QPageLayout(document.pageSize(), document.orientation(), QMarginsF(0, 0, 0, 0));
}

// Paints every page on a device whose painter starts at the paper's top-left corner.
// paperPixels is the paper's size in device pixels.
bool paintAll(const PageDocument& document, QPagedPaintDevice& device, const QSizeF& paperPixels,
              QString* error) {
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = u"the output device did not accept the pages"_s;
        return false;
    }
    const QSizeF paper = document.paperSize();
    // Paper smaller than the document's gets the whole page, scaled down to fit; larger
    // paper gets it at its own size.
    const double scale =
        std::min({device.logicalDpiX() / PageDocument::TwipsPerInch,
                  paperPixels.width() / paper.width(), paperPixels.height() / paper.height()});
    for (int number = 1; number <= document.pageCount(); ++number) {
        if (number > 1 && !device.newPage()) {
            painter.end();
            if (error)
                *error = u"the output device did not accept page %1"_s.arg(number);
            return false;
        }
        painter.save();
        painter.scale(scale, scale);
        paintPage(painter, document, number);
        painter.restore();
    }
    if (!painter.end()) {
        if (error)
            *error = u"the output device could not finish the pages"_s;
        return false;
    }
    return true;
}

} // namespace

void paintPage(QPainter& painter, const PageDocument& document, int number) {
    if (number < 1 || number > document.pageCount())
        return;
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(PageDocument::headerFont());
    paintCells(painter, document.headerCells(number));
    paintCells(painter, document.footerCells(number));
    for (const PageLine& line : document.page(number).lines) {
        painter.setFont(PageDocument::bodyFont(line.bold));
        paintCells(painter, line.cells);
    }
    painter.restore();
}

bool printDocument(const PageDocument& document, QPrinter& printer, QString* error) {
    // The document places everything from the paper's edge, margins included. The paper
    // stays what the user chose for this printer; only the orientation is the report's.
    printer.setFullPage(true);
    printer.setPageOrientation(document.orientation());
    printer.setDocName(u"Purvex report"_s);
    const QSizeF paperPixels = printer.paperRect(QPrinter::DevicePixel).size();
    return paintAll(document, printer, paperPixels, error);
}

bool writePdf(const PageDocument& document, const QString& fileName, QString* error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QCoreApplication::applicationName());
        writer.setTitle(u"Purvex report"_s);
        writer.setPageLayout(layoutOf(document));
        const QSizeF paperPixels =
            writer.pageLayout().fullRectPixels(writer.resolution()).size().toSizeF();
        painted = paintAll(document, writer, paperPixels, error);
    }
    if (!painted) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
