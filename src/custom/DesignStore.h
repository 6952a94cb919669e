#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Database;

// One saved report design: its name as the user wrote it and its text form (ReportDesign).
struct StoredDesign {
    QString name;
    QString text;
};

// The saved report designs of a database file, in its table ReportDesigns: plain SQL on that
// one table with every value bound, so that any backend of the engine can hold them. Names
// are compared without regard to case, by a key folded in code rather than by the backend's
// collation. Every failure is the engine's EngineError.
class DesignStore {
public:
    explicit DesignStore(Database& db) : m_db(db) {}

    // The key a name is stored and found under: without blanks around it, case-folded.
    static QString keyOf(const QString& name);

    // Whether the file has the table. One of an earlier layout, read without being upgraded,
    // has none and holds no designs.
    bool available() const;
    // The names alone, in the order of their keys: what a list of designs shows, read
    // without the designs themselves, so that a damaged one cannot stop the list.
    QStringList names() const;
    // Every design, in the order of names().
    QList<StoredDesign> all() const;
    // The design of that name, case ignored; nullopt when there is none.
    std::optional<StoredDesign> find(const QString& name) const;
    // Stores the design under the name (taken without blanks around it), in place of one of
    // that name whatever its case, in one transaction.
    void save(const QString& name, const QString& text);
    // Whether there was a design of that name to remove.
    bool remove(const QString& name);

private:
    Database& m_db;
};
