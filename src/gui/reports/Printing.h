#pragma once

#include <QString>

class PageDocument;
class QLocale;
class QPageSize;
class QPrinter;

// The paper of the default printer, or failing that the paper usual where the user lives
// (PageDocument::localePageSize): what the output window lays its pages out on.
QPageSize defaultPageSize(const QLocale& locale);

// Prints every page of the document on the printer, on the document's paper where the
// printer has it and shrunk to fit where it has not. False, with the reason in *error,
// when the printer does not take the job.
bool printDocument(const PageDocument& document, QPrinter& printer, QString* error = nullptr);
