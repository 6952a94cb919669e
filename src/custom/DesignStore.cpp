#include "custom/DesignStore.h"

#include "engine/Database.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"

using namespace Qt::StringLiterals;

namespace {

QString table() {
    return QString::fromLatin1(Schema::DesignsTable);
}

} // namespace

QString DesignStore::keyOf(const QString& name) {
    return name.trimmed().toCaseFolded();
}

bool DesignStore::available() const {
    return m_db.tableExists(table());
}

QStringList DesignStore::names() const {
    QStringList names;
    if (!available())
        return names;
    auto rs = m_db.openSnapshot(u"SELECT DesignName FROM %1 ORDER BY DesignKey"_s.arg(table()));
    for (; !rs->eof(); rs->moveNext())
        names << rs->value(u"DesignName"_s).toString();
    rs->close();
    return names;
}

QList<StoredDesign> DesignStore::all() const {
    QList<StoredDesign> designs;
    if (!available())
        return designs;
    auto rs =
        m_db.openSnapshot(u"SELECT DesignName, Design FROM %1 ORDER BY DesignKey"_s.arg(table()));
    for (; !rs->eof(); rs->moveNext())
        designs.append({rs->value(u"DesignName"_s).toString(), rs->value(u"Design"_s).toString()});
    rs->close();
    return designs;
}

std::optional<StoredDesign> DesignStore::find(const QString& name) const {
    if (!available())
        return std::nullopt;
    auto rs = m_db.openSnapshot(
        u"SELECT DesignName, Design FROM %1 WHERE DesignKey = ?"_s.arg(table()), {keyOf(name)});
    std::optional<StoredDesign> found;
    if (!rs->eof())
        found =
            StoredDesign{rs->value(u"DesignName"_s).toString(), rs->value(u"Design"_s).toString()};
    rs->close();
    return found;
}

void DesignStore::save(const QString& name, const QString& text) {
    const QString key = keyOf(name);
    m_db.transaction([&] {
        m_db.execute(u"DELETE FROM %1 WHERE DesignKey = ?"_s.arg(table()), {key});
        m_db.execute(
            u"INSERT INTO %1 (DesignKey, DesignName, Design) VALUES (?, ?, ?)"_s.arg(table()),
            {key, name.trimmed(), text});
    });
}

bool DesignStore::remove(const QString& name) {
    if (!find(name))
        return false;
    m_db.execute(u"DELETE FROM %1 WHERE DesignKey = ?"_s.arg(table()), {keyOf(name)});
    return true;
}
