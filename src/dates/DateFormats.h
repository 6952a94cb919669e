#pragma once

#include <QLocale>
#include <QString>

struct AppState;

// Finds the order in which the locale's short date writes day, month and year, from the
// short-date text of 30 May 1998, and keeps it in state.gDateFmt (with the separator in
// state.gDateSep). Throws EngineError TypeMismatch when a field is not a number.
void ChkDateFmt(AppState& state, const QLocale& locale);
// The same from a short-date text of 30 May 1998 already written, so that patterns no
// installed locale uses can be checked as well. On failure neither global changes.
void ChkDateFmt(AppState& state, const QString& shortDateText);

// Month, day and year as decimal numbers joined by single blanks in the order gDateFmt
// names ("dmy", "ymd", "ydm"; anything else month-day-year).
QString FormatDate(int month, int day, int year, const QString& dateFmt);

// The n-th field (from 1) of text split at delimiter; empty when there is no such field.
QString GetToken(const QString& text, const QString& delimiter, int n);
