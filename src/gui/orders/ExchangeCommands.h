#pragma once

#include "exchange/FieldConversion.h"

#include <functional>

struct AppState;
class Progress;
class Services;
class QWidget;

// The File menu's "&Import..." and "Export to &CSV...": the import and export of the
// widget-free exchange library, with the platform's file dialog, a progress window with
// Cancel, and the summary or the list of problems in a message.

// Asks for an Access-format database or a CSV file, checks all of it, asks whether to
// import what was found, and imports it all or nothing. Once records are imported,
// showAfresh is called (for the main form to show them) before the summary is shown.
void runImport(AppState& state, Services& services, QWidget* parent,
               const std::function<void()>& showAfresh);

// Asks where to save, and writes every record there as CSV, whole or not at all.
void runCsvExport(AppState& state, Services& services, QWidget* parent);

// How an import reads dates and amounts written as text: in the user's locale, as the
// date fields and the amount box read them.
FieldConversion::Options importConversion(Services& services);

// A progress callback of the exchange library shown in a progress window: the stage with
// the work's size, how far it has got, and false once the user pressed Cancel.
std::function<bool(qint64 done, qint64 total)> followOn(Progress& progress, const QString& stage);
