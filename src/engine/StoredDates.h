#pragma once

#include <QString>

class QDate;

// Dates are stored as ISO text, "1998-05-30" or "1998-05-30 14:05:00", and compare as text.
// The stored text of a date compares below this one exactly when it falls on the day or
// before, a time of day included: the bound of "up to the end of the day".
QString afterDayText(const QDate& day);
