#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <stdexcept>

class Database;

// The kinds of value a report field holds (RptSpec.datatype).
enum class FieldKind { Text = 1, Number = 2, Date = 3, YesNo = 4 };

// One row of the report-field catalogue RptSpec: a field a user may put in a custom report.
struct CatalogueField {
    int specId = 0;
    // The name the user sees in the lists and as the column heading.
    QString desc;
    // The column in the query, as the catalogue writes it: a bare name, or one qualified by
    // its table or quoted ("StatusNames.StatusName", "[Order Number]").
    QString fieldname;
    FieldKind kind = FieldKind::Text;
    // In the unit the user chooses; Null in the catalogue means 1.
    double defwidth = 1;
    bool isCurrency = false;
    // The table holding the column; "pvx" needs no join.
    QString filename;
    // "a" (a column of that name in both tables) or "a;b" (pvx.a = filename.b).
    QString linkfield;

    // Whether the field lives in the orders table itself.
    bool inOrdersTable() const;
};

// A catalogue that cannot drive a report: no rows, a SpecID outside 1 to the row count or
// given twice, a datatype outside 1 to 4. The text names the row and is fit to show.
class CatalogueError : public std::runtime_error {
public:
    explicit CatalogueError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The rows of RptSpec in Desc order, as the designer lists them, and found by SpecID, as
// the report settings refer to them.
class ReportCatalogue {
public:
    ReportCatalogue() = default;
    // Checks the rows as read() does; throws CatalogueError.
    explicit ReportCatalogue(QList<CatalogueField> fields);

    // Reads the catalogue from the database once. Throws CatalogueError for a catalogue
    // that cannot be used and EngineError when it cannot be read.
    static ReportCatalogue read(Database& db);

    // Rows in Desc order.
    const QList<CatalogueField>& fields() const { return m_fields; }
    int count() const { return int(m_fields.size()); }
    bool isEmpty() const { return m_fields.isEmpty(); }
    // The row with this SpecID; null when there is none.
    const CatalogueField* find(int specId) const;
    // Throws std::out_of_range for a SpecID the catalogue does not have.
    const CatalogueField& field(int specId) const;
    // The row whose Desc is this, without regard to case; null when there is none.
    const CatalogueField* findByDesc(const QString& desc) const;

private:
    QList<CatalogueField> m_fields;
    // Index into m_fields of each SpecID, at SpecID - 1.
    QList<int> m_bySpecId;
};
