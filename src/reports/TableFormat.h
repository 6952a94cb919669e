#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// One column of a printed table: its width in twips and which side its cells keep to.
struct TableColumn {
    double width = 0;
    bool rightAligned = false;

    friend bool operator==(const TableColumn&, const TableColumn&) = default;
};

// The columns of a printed table.
//
// Reports write their column layout the way it reads on paper, "2880|1440|>1440;": one
// width in twips per column, separated by "|", with ">" before the width of a
// right-aligned column. Only the layout is written so; the cells of each row travel
// separately as a list, so a "|" or ";" typed into a description stays in its cell.
class TableFormat {
public:
    TableFormat() = default;
    explicit TableFormat(QList<TableColumn> columns) : m_columns(std::move(columns)) {}
    // A layout the program states itself; a malformed one is a programming fault and
    // throws std::invalid_argument naming it.
    explicit TableFormat(QStringView text);

    // Reads a layout: widths are plain numbers with an optional fraction after a ".",
    // never in the user's number format, so that a layout reads the same in every locale.
    // "<" before a width is accepted as left alignment, the default. The closing ";" may
    // be left off. Nothing (or ";" alone) is a table without columns.
    static std::optional<TableFormat> parse(QStringView text, QString* error = nullptr);

    const QList<TableColumn>& columns() const { return m_columns; }
    qsizetype columnCount() const { return m_columns.size(); }
    double totalWidth() const;
    // The layout written back in the form parse reads.
    QString toText() const;

    friend bool operator==(const TableFormat&, const TableFormat&) = default;

private:
    QList<TableColumn> m_columns;
};
