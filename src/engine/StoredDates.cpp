#include "engine/StoredDates.h"

#include <QDate>

using namespace Qt::StringLiterals;

QString afterDayText(const QDate& day) {
    // The next day's date is the smallest text above every value of the day, as long as it
    // still has four digits of year; past 9999 the day's own text with a character above any
    // a time of day uses stands in for it.
    const QDate next = day.addDays(1);
    if (next.isValid() && next.year() <= 9999)
        return next.toString(u"yyyy-MM-dd"_s);
    return day.toString(u"yyyy-MM-dd"_s) + u'~';
}
