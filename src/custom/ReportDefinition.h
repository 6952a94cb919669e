#pragma once

#include "custom/ReportCatalogue.h"

#include <QDate>
#include <QList>
#include <QString>

#include <stdexcept>

// The settings of one catalogue field, kept while the field moves in and out of the report
// so that it comes back as it was.
struct FieldSettings {
    // Column width in the report's unit.
    double ColWidth = 1;
    // No column, but the field's criteria still select the rows.
    bool Hide = false;
    // A total under the column (number fields).
    bool Total = false;
    // Text fields: rows whose value begins with this, case ignored; empty for none.
    QString StartsWith;
    // Number fields: the bounds exactly as typed, read in the user's locale when the
    // report runs; empty for none.
    QString LessThan;
    QString GreaterThan;
    // Date fields: the first and last day wanted, both included; a null date for none.
    QDate StartDate;
    QDate EndDate;
    // Yes/no fields: only rows whose cell says "Yes", or only those that say "No".
    bool WantTrue = false;
    bool WantFalse = false;
    bool IsCurrency = false;
};

enum class WidthUnit { Inches, Centimeters };
enum class PageNumbers { AtBottom, InHeader, None };
enum class ReportTarget { ScreenPrinter = 1, TextFile = 2, WebTable = 3 };

// Everything a custom report is made from: the catalogue it draws on, the fields chosen in
// their order, every field's settings and the report's options. The designer fills it in
// from its controls, pvxadmin from its command line.
struct ReportDefinition {
    static constexpr double TwipsPerInch = 1440;
    // A centimetre as the program has always counted it, not 566.9.
    static constexpr double TwipsPerCentimeter = 561.6;

    // Every catalogue field with its initial settings: its default width, its currency
    // flag, no criteria; no fields chosen and the options at their defaults.
    static ReportDefinition withDefaults(const ReportCatalogue& catalogue);

    ReportCatalogue catalogue;
    // The report's fields by SpecID, in report order.
    QList<int> fields;
    // One entry per catalogue row, at SpecID - 1.
    QList<FieldSettings> settings;

    QString title = QStringLiteral("Purvex Report");
    WidthUnit widthUnit = WidthUnit::Inches;
    bool landscape = false;
    PageNumbers pageNumbers = PageNumbers::AtBottom;
    bool showDate = true;
    ReportTarget reportTo = ReportTarget::ScreenPrinter;
    // SpecIDs; 0 for none.
    int primarySort = 0;
    int secondarySort = 0;

    FieldSettings& settingsOf(int specId) { return settings[specId - 1]; }
    const FieldSettings& settingsOf(int specId) const { return settings.at(specId - 1); }
    double twipsPerUnit() const;
    // Whether at least one field of the report gets a column.
    bool hasVisibleField() const;
};

// A definition the report cannot be made from: a bound that is no number, a field the
// catalogue lacks. The text names the field and is fit to show.
class ReportDefinitionError : public std::runtime_error {
public:
    explicit ReportDefinitionError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
