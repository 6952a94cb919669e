#include "exchange/CsvExport.h"

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/OutputFile.h"
#include "engine/Recordset.h"
#include "exchange/CsvWriter.h"
#include "exchange/OrderFields.h"

#include <QDate>
#include <QDateTime>

using namespace Qt::StringLiterals;

namespace CsvExport {
namespace {

constexpr int ProgressEvery = 1024;

QString codeText(const QVariant& value, OrderFields::Kind kind) {
    const QStringList& texts = OrderFields::listTexts(kind);
    if (value.typeId() != QMetaType::QString) {
        bool ok = false;
        const int code = value.toInt(&ok);
        if (ok && code >= 0 && code < texts.size() && value.toDouble() == code)
            return texts.at(code);
    }
    return value.toString();
}

// Writes number in `width` digits at out, padded with zeros.
void digits(char* out, int number, int width) {
    for (int i = width - 1; i >= 0; --i, number /= 10)
        out[i] = char('0' + number % 10);
}

// ISO text built by hand: the calendar's general formatting costs more than all the rest of
// a record.
QString dateText(const QVariant& value) {
    const bool withTime = value.typeId() == QMetaType::QDateTime;
    if (value.typeId() != QMetaType::QDate && !withTime)
        return value.toString();
    const QDate date = withTime ? value.toDateTime().date() : value.toDate();
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return withTime ? value.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s)
                        : date.toString(u"yyyy-MM-dd"_s);
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    char text[] = "0000-00-00 00:00:00";
    digits(text, year, 4);
    digits(text + 5, month, 2);
    digits(text + 8, day, 2);
    if (!withTime)
        return QString::fromLatin1(text, 10);
    const QTime time = value.toDateTime().time();
    digits(text + 11, time.hour(), 2);
    digits(text + 14, time.minute(), 2);
    digits(text + 17, time.second(), 2);
    return QString::fromLatin1(text, 19);
}

QString valueText(const QVariant& value, const OrderFields::Field& field) {
    if (value.isNull())
        return {};
    switch (field.kind) {
    case OrderFields::Kind::Type:
    case OrderFields::Kind::Status:
        return codeText(value, field.kind);
    case OrderFields::Kind::Date:
        return dateText(value);
    case OrderFields::Kind::Amount:
        if (value.metaType() == QMetaType::fromType<Currency>())
            return amountText(value.value<Currency>().raw());
        if (value.typeId() == QMetaType::Double)
            return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return value.toString();
    default:
        return value.toString();
    }
}

} // namespace

QString amountText(qint64 tenThousandths) {
    QString text = Currency::fromRaw(tenThousandths).toDecimalText();
    const qsizetype point = text.indexOf(u'.');
    const qsizetype decimals = point < 0 ? 0 : text.size() - point - 1;
    if (point < 0)
        text += u".00"_s;
    else if (decimals == 1)
        text += u'0';
    else if (decimals == 3)
        text += u'0';
    return text;
}

bool write(Database& db, QIODevice& device, qint64* records, const ProgressCallback& progress) {
    const QList<OrderFields::Field>& fields = OrderFields::standard();
    CsvWriter csv(device);
    for (const OrderFields::Field& field : fields)
        csv.field(field.name);
    csv.endRecord();

    // One read of the file from the count to the last row.
    db.execute(u"BEGIN"_s);
    qint64 written = 0;
    bool stopped = false;
    try {
        const qint64 total = db.scalar(u"SELECT count(*) FROM pvx"_s).toLongLong();
        auto rs = db.openSnapshot(u"SELECT * FROM pvx ORDER BY zelid"_s);
        for (; !rs->eof() && !stopped; rs->moveNext()) {
            for (const OrderFields::Field& field : fields)
                csv.field(valueText(rs->value(field.name), field));
            csv.endRecord();
            if (++written % ProgressEvery == 0 && progress && !progress(written, total))
                stopped = true;
        }
        rs->close();
        if (progress && !stopped)
            stopped = !progress(written, total);
    } catch (...) {
        db.execute(u"ROLLBACK"_s);
        throw;
    }
    db.execute(u"COMMIT"_s);
    if (records)
        *records = written;
    return csv.flush() && !stopped;
}

Result toFile(Database& db, const QString& fileName, bool standardOutputDash,
              const ProgressCallback& progress) {
    Result result;
    OutputFile file(fileName, standardOutputDash ? OutputFile::Names::DashIsStandardOutput
                                                 : OutputFile::Names::Plain);
    if (!file.open()) {
        result.error = file.errorString();
        return result;
    }
    bool cancelled = false;
    const auto watched = [&](qint64 done, qint64 total) {
        cancelled = progress && !progress(done, total);
        return !cancelled;
    };
    if (!write(db, file.device(), &result.records, watched)) {
        result.cancelled = cancelled;
        if (!cancelled) {
            result.error = file.device().errorString();
            if (result.error.isEmpty() || result.error == u"Unknown error"_s)
                result.error = u"the output was refused"_s;
        }
        file.cancel();
        return result;
    }
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    result.written = true;
    return result;
}

} // namespace CsvExport
