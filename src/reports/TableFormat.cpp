#include "reports/TableFormat.h"

#include <QLocale>

#include <cmath>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

bool isPlainNumber(QStringView text) {
    qsizetype digits = 0;
    bool point = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128) {
            ++digits;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

bool readColumn(QStringView item, TableColumn& column, QString* error) {
    QStringView rest = item.trimmed();
    column = {};
    if (rest.startsWith(u'>')) {
        column.rightAligned = true;
        rest = rest.sliced(1).trimmed();
    } else if (rest.startsWith(u'<')) {
        rest = rest.sliced(1).trimmed();
    }
    if (!isPlainNumber(rest))
        return fail(error, u"\"%1\" is not a column width"_s.arg(item));
    // The C locale reads the fraction after "." whatever the user's settings.
    bool ok = false;
    column.width = QLocale::c().toDouble(rest, &ok);
    if (!ok || !std::isfinite(column.width) || column.width <= 0)
        return fail(error, u"\"%1\" is not a column width"_s.arg(item));
    return true;
}

} // namespace

TableFormat::TableFormat(QStringView text) {
    QString error;
    std::optional<TableFormat> format = parse(text, &error);
    if (!format)
        throw std::invalid_argument(error.toStdString());
    m_columns = std::move(format->m_columns);
}

std::optional<TableFormat> TableFormat::parse(QStringView text, QString* error) {
    QStringView section = text.trimmed();
    if (section.endsWith(u';'))
        section.chop(1);
    if (section.contains(u';')) {
        fail(error, u"the column layout \"%1\" holds more than its columns"_s.arg(text));
        return std::nullopt;
    }
    TableFormat format;
    if (section.trimmed().isEmpty())
        return format;
    for (QStringView item : section.split(u'|')) {
        TableColumn column;
        if (!readColumn(item, column, error))
            return std::nullopt;
        format.m_columns.append(column);
    }
    return format;
}

double TableFormat::totalWidth() const {
    double total = 0;
    for (const TableColumn& column : m_columns)
        total += column.width;
    return total;
}

QString TableFormat::toText() const {
    QStringList items;
    for (const TableColumn& column : m_columns) {
        const QString width = QLocale::c().toString(column.width, 'g', 12);
        items.append(column.rightAligned ? u">"_s + width : width);
    }
    return items.join(u'|') + u';';
}
