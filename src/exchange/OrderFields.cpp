#include "exchange/OrderFields.h"

#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace OrderFields {

const QList<Field>& standard() {
    using enum Kind;
    static const QList<Field> fields{
        {u"zelid"_s, Key, 0, {}},        {u"descr"_s, Text, 80, {}},
        {u"Type"_s, Type, 0, {}},        {u"status"_s, Status, 0, {}},
        {u"ordernum"_s, Text, 50, {}},   {u"via"_s, Text, 50, {}},
        {u"dateorder"_s, Date, 0, {}},   {u"dateexpect"_s, Date, 0, {}},
        {u"datereceive"_s, Date, 0, {}}, {u"amount"_s, Amount, 0, {}},
        {u"method"_s, Text, 50, {}},     {u"misc1"_s, Text, 50, {}},
        {u"vendor"_s, Text, 80, {}},     {u"address"_s, Text, 250, {}},
        {u"phone"_s, Text, 30, {}},      {u"fax"_s, Text, 30, {}},
        {u"email"_s, Text, 80, {}},      {u"items"_s, Text, 0, {}},
        {u"notes"_s, Text, 0, {}},
    };
    return fields;
}

namespace {

Field* named(QList<Field>& fields, const QString& name) {
    for (Field& field : fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    }
    return nullptr;
}

void readLimits(Database& db, QList<Field>& fields) {
    static const QRegularExpression sized(u"^\\s*\\w+\\s*\\(\\s*(\\d+)\\s*\\)"_s);
    auto rs = db.openSnapshot(u"SELECT name, type FROM pragma_table_info('pvx')"_s);
    for (; !rs->eof(); rs->moveNext()) {
        Field* field = named(fields, rs->value(u"name"_s).toString());
        if (!field || field->kind != Kind::Text)
            continue;
        const QRegularExpressionMatch match = sized.match(rs->value(u"type"_s).toString());
        if (match.hasMatch())
            field->limit = match.captured(1).toInt();
    }
    rs->close();
}

void readShownNames(Database& db, QList<Field>& fields) {
    if (!db.tableExists(u"RptSpec"_s))
        return;
    auto rs = db.openSnapshot(
        u"SELECT \"Desc\", fieldname, datatype, filename, Linkfield FROM RptSpec"_s);
    for (; !rs->eof(); rs->moveNext()) {
        const QString shown = rs->value(u"Desc"_s).toString().trimmed();
        const QString table = rs->value(u"filename"_s).toString();
        QString column = rs->value(u"fieldname"_s).toString();
        if (table.compare(u"pvx"_s, Qt::CaseInsensitive) != 0) {
            // A lookup's name column shows the code stored in pvx; its yes/no columns
            // ("Is a Sale") say something else about it and stand for no field.
            constexpr int textKind = 1;
            if (rs->value(u"datatype"_s).toInt() != textKind)
                continue;
            column = rs->value(u"Linkfield"_s).toString().section(u';', 0, 0);
        }
        if (Field* field = named(fields, column); field && !shown.isEmpty())
            field->shownNames << shown;
    }
    rs->close();
}

} // namespace

QList<Field> describedBy(Database& db) {
    QList<Field> fields = standard();
    readLimits(db, fields);
    // The designer's names are a convenience: a file whose catalogue cannot be read still
    // takes every field by its stored name.
    try {
        readShownNames(db, fields);
    } catch (const EngineError&) {
        for (Field& field : fields)
            field.shownNames.clear();
    }
    return fields;
}

const QStringList& listTexts(Kind kind) {
    static const QStringList types{QString::fromLatin1(nameOf(OrderType::Order)),
                                   QString::fromLatin1(nameOf(OrderType::Rebate)),
                                   QString::fromLatin1(nameOf(OrderType::Sale))};
    static const QStringList statuses{QString::fromLatin1(nameOf(ReceivedStatus::No)),
                                      QString::fromLatin1(nameOf(ReceivedStatus::Partially)),
                                      QString::fromLatin1(nameOf(ReceivedStatus::Yes))};
    static const QStringList none;
    return kind == Kind::Type ? types : kind == Kind::Status ? statuses : none;
}

} // namespace OrderFields
