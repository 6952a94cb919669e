#include "gui/reports/Printing.h"

#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

using namespace Qt::StringLiterals;

QPageSize defaultPageSize(const QLocale& locale) {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull()) {
        const QPageSize size = printer.defaultPageSize();
        if (size.isValid())
            return size;
    }
    return PageDocument::localePageSize(locale);
}

bool printDocument(const PageDocument& document, QPrinter& printer, QString* error) {
    // The document places everything from the paper's edge, margins included. The paper
    // stays what the user chose for this printer; only the orientation is the report's.
    printer.setFullPage(true);
    printer.setPageOrientation(document.orientation());
    printer.setDocName(u"Purvex report"_s);
    const QSizeF paperPixels = printer.paperRect(QPrinter::DevicePixel).size();
    return paintDocument(document, printer, paperPixels, error);
}
