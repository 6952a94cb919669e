#include "custom/ReportCatalogue.h"

#include "engine/Database.h"
#include "engine/Recordset.h"

using namespace Qt::StringLiterals;

namespace {

QString rowName(const CatalogueField& field) {
    return u"The report catalogue RptSpec has a row \"%1\" (SpecID %2)"_s.arg(field.desc)
        .arg(field.specId);
}

} // namespace

bool CatalogueField::inOrdersTable() const {
    return filename.compare(u"pvx"_s, Qt::CaseInsensitive) == 0;
}

ReportCatalogue::ReportCatalogue(QList<CatalogueField> fields) : m_fields(std::move(fields)) {
    if (m_fields.isEmpty())
        throw CatalogueError(u"The report catalogue RptSpec holds no report fields."_s);
    const int count = int(m_fields.size());
    m_bySpecId = QList<int>(count, -1);
    for (int i = 0; i < count; ++i) {
        const CatalogueField& field = m_fields.at(i);
        // The report settings are indexed by SpecID, so the numbers must run from 1 to the
        // number of rows.
        if (field.specId < 1 || field.specId > count)
            throw CatalogueError(u"%1, but the numbers must run from 1 to %2, the number of rows."_s
                                     .arg(rowName(field))
                                     .arg(count));
        int& slot = m_bySpecId[field.specId - 1];
        if (slot >= 0)
            throw CatalogueError(u"%1, a number the row \"%2\" has as well."_s.arg(
                rowName(field), m_fields.at(slot).desc));
        slot = i;
        const int kind = int(field.kind);
        if (kind < int(FieldKind::Text) || kind > int(FieldKind::YesNo))
            throw CatalogueError(u"%1 with datatype %2; it must be 1 (text), 2 (number), "
                                 u"3 (date) or 4 (yes/no)."_s.arg(rowName(field))
                                     .arg(kind));
    }
}

ReportCatalogue ReportCatalogue::read(Database& db) {
    auto rs = db.openSnapshot(u"SELECT * FROM \"RptSpec\" ORDER BY \"Desc\""_s);
    QList<CatalogueField> fields;
    for (; !rs->eof(); rs->moveNext()) {
        CatalogueField field;
        field.specId = rs->value(u"SpecID"_s).toInt();
        field.desc = rs->value(u"Desc"_s).toString();
        field.fieldname = rs->value(u"fieldname"_s).toString();
        bool ok = false;
        const QVariant datatype = rs->value(u"datatype"_s);
        const int kind = datatype.isNull() ? 0 : datatype.toInt(&ok);
        // Anything that is no whole number is refused with the 1-to-4 rule.
        field.kind = FieldKind(ok ? kind : 0);
        const QVariant width = rs->value(u"defwidth"_s);
        field.defwidth = width.isNull() ? 1.0 : width.toDouble();
        field.isCurrency = rs->value(u"IsCurrency"_s).toBool();
        field.filename = rs->value(u"filename"_s).toString();
        field.linkfield = rs->value(u"Linkfield"_s).toString();
        fields.append(std::move(field));
    }
    rs->close();
    return ReportCatalogue(std::move(fields));
}

const CatalogueField* ReportCatalogue::find(int specId) const {
    if (specId < 1 || specId > m_bySpecId.size())
        return nullptr;
    return &m_fields.at(m_bySpecId.at(specId - 1));
}

const CatalogueField& ReportCatalogue::field(int specId) const {
    const CatalogueField* found = find(specId);
    if (!found)
        throw std::out_of_range("no report field with SpecID " + std::to_string(specId));
    return *found;
}

const CatalogueField* ReportCatalogue::findByDesc(const QString& desc) const {
    for (const CatalogueField& field : m_fields) {
        if (field.desc.compare(desc, Qt::CaseInsensitive) == 0)
            return &field;
    }
    return nullptr;
}
