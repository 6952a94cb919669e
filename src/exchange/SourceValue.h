#pragma once

#include <QString>

// One value as a source file holds it, before it is converted for a field: the text of a
// CSV cell, or a typed value of an Access-format table read as stored.
struct SourceValue {
    enum class Kind {
        Null,
        Text,
        Integer, // a whole number (byte, integer, long integer)
        Real,    // a floating-point number (single, double)
        Money,   // the currency type: integer holds ten-thousandths
        Date,    // the date type: real holds days since 30 December 1899, the time as the fraction
        Boolean, // yes/no: integer holds 0 or 1
        Binary,  // OLE objects and binary columns, which no field takes
        Unreadable, // a value the source could not give whole: text holds why
    };

    Kind kind = Kind::Null;
    QString text;
    qint64 integer = 0;
    double real = 0;

    static SourceValue ofText(QString value) {
        SourceValue v;
        v.kind = Kind::Text;
        v.text = std::move(value);
        return v;
    }
    static SourceValue ofInteger(Kind kind, qint64 value) {
        SourceValue v;
        v.kind = kind;
        v.integer = value;
        return v;
    }
    static SourceValue ofReal(Kind kind, double value) {
        SourceValue v;
        v.kind = kind;
        v.real = value;
        return v;
    }

    bool isBlank() const { return kind == Kind::Null || (kind == Kind::Text && text.isEmpty()); }
};
