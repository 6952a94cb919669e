#pragma once

// A real pvx.mdb for the custom report tests: the program's own tables and catalogue, five
// orders chosen to trip every mended fault, and one more lookup table, Names, whose name is
// part of TypeNames, and whose notes column has the name of one in pvx.

#include "core/AppState.h"
#include "custom/CustomReport.h"
#include "custom/ReportCatalogue.h"
#include "custom/ReportDefinition.h"
#include "engine/Currency.h"
#include "engine/Database.h"
#include "support/FakeCoreServices.h"
#include "support/OrderFixture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace custom {

inline QVariant money(qint64 cents) {
    return QVariant::fromValue(Currency::fromRaw(cents * 100));
}

// Record numbers 1 to 5 in this order.
inline QList<QVariantMap> orders() {
    using M = QVariantMap;
    return {
        M{{"descr", "Widget it's"},
          {"Type", 0},
          {"status", 2},
          {"dateorder", QDate(1999, 1, 1)},
          {"amount", money(1010)},
          {"notes", "line one\r\nline\ttwo"}},
        M{{"descr", "50% off"},
          {"Type", 1},
          {"status", 0},
          {"dateorder", QDateTime(QDate(1999, 3, 31), QTime(14, 5))},
          {"amount", money(20)},
          {"notes", ""}},
        M{{"descr", "a_b [x] *star"},
          {"Type", 2},
          {"status", 1},
          {"dateorder", QDate(1998, 12, 31)},
          {"notes", ""}},
        M{{"descr", "Émile <script>alert(1)</script> & \"q\""},
          {"Type", 5},
          {"status", 9},
          {"amount", money(100000)},
          {"notes", ""}},
        M{{"descr", "ab"},
          {"Type", 0},
          {"status", 0},
          {"dateorder", QDate(1999, 4, 1)},
          {"amount", money(99999)},
          {"notes", ""}},
    };
}

inline QString createDatabase(const QString& dir) {
    const QString path = OrderFixture::createDatabase(dir, orders());
    auto db = Database::open(path, false);
    db->execute(u"CREATE TABLE Names (NameCode SMALLINT, Nick TEXT, Weight REAL, notes TEXT);"
                u"INSERT INTO Names VALUES (0, 'Ord', 0.1, 'n0'), (1, 'Reb', 0.2, 'n1');"
                u"UPDATE RptSpec SET fieldname = 'pvx.notes' WHERE \"Desc\" = 'Notes';"_s);
    const char* rows[][3] = {{"Nickname", "Nick", "1"},
                             {"Weight", "Weight", "2"},
                             {"Nick Notes", "[Names].[notes]", "1"}};
    int id = db->scalar(u"SELECT max(SpecID) FROM RptSpec"_s).toInt();
    for (const auto& row : rows)
        db->execute(u"INSERT INTO RptSpec VALUES (?, ?, ?, ?, 1, 0, 'Names', 'Type;NameCode')"_s,
                    {++id, QString::fromUtf8(row[0]), QString::fromUtf8(row[1]),
                     QString::fromLatin1(row[2]).toInt()});
    db->close();
    return path;
}

// A definition on the fixture's catalogue with the fields named, by Desc.
inline int specId(const ReportDefinition& definition, const QString& desc) {
    const CatalogueField* field = definition.catalogue.findByDesc(desc);
    if (!field)
        qFatal("no report field %s", qPrintable(desc));
    return field->specId;
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The state, services and database one report runs on.
struct Run {
    QTemporaryDir dir;
    AppState state;
    FakeCoreServices services;
    ReportDefinition definition;

    Run() {
        state.gDatabase = Database::open(createDatabase(dir.path()), true);
        definition = ReportDefinition::withDefaults(ReportCatalogue::read(*state.gDatabase));
        definition.reportTo = ReportTarget::TextFile;
    }
    FieldSettings& settings(const QString& desc) {
        return definition.settingsOf(specId(definition, desc));
    }
    void fields(const QStringList& descs) {
        definition.fields.clear();
        for (const QString& desc : descs)
            definition.fields << specId(definition, desc);
    }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    CustomReportResult generate(const QString& fileName, ReportPageSink* pages = nullptr) {
        return GenerateCustomReport(
            {definition, *state.gDatabase, state, services, pages, fileName});
    }
    // The report as a text file, each line split at its tabs; nullopt when none was written.
    std::optional<QList<QStringList>> textRows() {
        const QString path = file(u"report.txt"_s);
        QFile::remove(path);
        if (generate(path).outcome != CustomReportOutcome::Done)
            return std::nullopt;
        const QString text = QString::fromUtf8(readAll(path));
        if (!text.endsWith(u"\r\n"))
            return std::nullopt;
        QList<QStringList> rows;
        for (const QString& line : text.chopped(2).split(u"\r\n"_s))
            rows << line.split(u'\t');
        return rows;
    }
};

// An HTML file as libxml2's HTML parser reads it: the title, the charset it declares, the
// cells of each table row, the footer's link and whether any script element exists.
struct HtmlCell {
    QString tag;
    QString text;
    QString align;
    QString colspan;
};

struct HtmlPage {
    QString title;
    QString charset;
    QList<QList<HtmlCell>> rows;
    QString link;
    bool hasScript = false;
};

inline std::optional<HtmlPage> parseHtml(const QString& path) {
    QProcess xmllint;
    xmllint.start(QStringLiteral(PVX_XMLLINT), {u"--html"_s, u"--xmlout"_s, path});
    if (!xmllint.waitForFinished(30000) || xmllint.exitCode() != 0) {
        qWarning() << "xmllint failed:" << xmllint.readAllStandardError();
        return std::nullopt;
    }
    HtmlPage page;
    QXmlStreamReader xml(xmllint.readAllStandardOutput());
    HtmlCell* cell = nullptr;
    bool inTitle = false;
    while (!xml.atEnd()) {
        xml.readNext();
        const QString name = xml.name().toString().toLower();
        if (xml.isStartElement()) {
            const auto attributes = xml.attributes();
            if (name == u"tr")
                page.rows.append(QList<HtmlCell>());
            else if ((name == u"td" || name == u"th") && !page.rows.isEmpty()) {
                page.rows.last().append({name,
                                         {},
                                         attributes.value(u"align"_s).toString(),
                                         attributes.value(u"colspan"_s).toString()});
                cell = &page.rows.last().last();
            } else if (name == u"meta")
                page.charset = attributes.value(u"charset"_s).toString();
            else if (name == u"a")
                page.link = attributes.value(u"href"_s).toString();
            else if (name == u"script")
                page.hasScript = true;
            inTitle = name == u"title";
        } else if (xml.isEndElement()) {
            if (name == u"td" || name == u"th")
                cell = nullptr;
            inTitle = false;
        } else if (xml.isCharacters()) {
            if (cell)
                cell->text += xml.text();
            else if (inTitle)
                page.title += xml.text();
        }
    }
    if (xml.hasError()) {
        qWarning() << "xmllint's output did not read:" << xml.errorString();
        return std::nullopt;
    }
    return page;
}

inline QStringList texts(const QList<HtmlCell>& cells) {
    QStringList list;
    for (const HtmlCell& cell : cells)
        list << cell.text;
    return list;
}

} // namespace custom
