#pragma once

#include <QVariant>

struct sqlite3_stmt;

// How a column's declared type asks its values to be read. Values stored in a storage
// class the declared type does not expect are read as stored, so nothing is lost.
enum class ColumnKind { Unknown, Integer, Real, Currency, Date, Boolean, Text, Blob };

ColumnKind columnKindOf(const char* declaredType);

// A date stored as text ("1998-05-30", or "1998-05-30 14:05:00" with the time of day) as
// QDate or QDateTime; an invalid QVariant for any other text.
QVariant dateFromText(const QString& text);

// The value of a result column the way the program works with it: dates as QDate (or
// QDateTime with a time of day), amounts as Currency, yes/no as bool; anything stored that
// does not fit its column's kind as it is stored.
QVariant convertedValue(sqlite3_stmt* stmt, int column, ColumnKind kind);

// Lets QVariant convert Currency to and from numbers and text (toDouble(), toString(),
// value<Currency>() of a number). Safe to call more than once.
void registerValueTypes();

// Writes a value the way the file stores it: dates as ISO text, amounts as numbers,
// yes/no as 0/1, Null as NULL, an empty string as an empty string.
void bindVariant(sqlite3_stmt* stmt, int index, const QVariant& value);
