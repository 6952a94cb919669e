#pragma once

#include "engine/internal/Statement.h"
#include "engine/internal/ValueConversion.h"

#include <QByteArray>
#include <QString>

#include <vector>

typedef struct pg_result PGresult;
class PgConnection;

// One statement prepared on the server under a name of its own. The values are bound as
// parameters $1..$n (never written into the text); running it fetches the whole result,
// which step() then walks.
class PgStatement final : public Statement {
public:
    PgStatement(PgConnection& connection, const QString& sql);
    ~PgStatement() override;

    bool isEmpty() const override { return m_empty && m_live; }
    void bind(const QVariantList& params) override;
    bool step() override;
    void reset() override;

    int columnCount() const override { return int(m_names.size()); }
    QString columnName(int column) const override;
    QVariant value(int column) const override;
    std::int64_t int64Value(int column) const override;

    void detach() override;

private:
    PgConnection& usable() const;
    void run();
    void clearResult();

    PgConnection* m_conn;
    QByteArray m_name;
    bool m_empty = false;
    bool m_live = true;
    int m_placeholders = 0;
    std::vector<QString> m_names;
    std::vector<ColumnKind> m_kinds;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_nulls;
    std::vector<bool> m_binary;

    PGresult* m_result = nullptr;
    bool m_ran = false;
    int m_row = -1;
};
