#include "custom/ReportDesign.h"

#include "custom/TypedNumber.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <optional>

using namespace Qt::StringLiterals;

namespace ReportDesign {
namespace {

// The key that says what the text is, with the version of its form as its value.
const QString FormatKey = u"purvexReportDesign"_s;
const QString DateForm = u"yyyy-MM-dd"_s;

struct Choice {
    const char* word;
    int value;
};

constexpr Choice units[] = {{"inches", int(WidthUnit::Inches)},
                            {"centimeters", int(WidthUnit::Centimeters)}};
constexpr Choice orientations[] = {{"portrait", 0}, {"landscape", 1}};
constexpr Choice pageNumberChoices[] = {{"bottom", int(PageNumbers::AtBottom)},
                                        {"header", int(PageNumbers::InHeader)},
                                        {"none", int(PageNumbers::None)}};
constexpr Choice targets[] = {{"screen", int(ReportTarget::ScreenPrinter)},
                              {"text", int(ReportTarget::TextFile)},
                              {"html", int(ReportTarget::WebTable)}};

template <std::size_t N> QString wordOf(const Choice (&choices)[N], int value) {
    for (const Choice& choice : choices) {
        if (choice.value == value)
            return QLatin1String(choice.word);
    }
    return QLatin1String(choices[0].word);
}

QString plainBound(const QString& typed, const CatalogueField& field, const QString& which,
                   const QLocale& locale) {
    const auto number = typedNumber(typed, locale);
    if (!number)
        throw ReportDefinitionError(
            u"The %1 value \"%2\" of the field \"%3\" is not a number."_s.arg(which, typed,
                                                                              field.desc));
    return number->toPlainText();
}

QJsonObject fieldToJson(const CatalogueField& field, const FieldSettings& s,
                        const QLocale& locale) {
    QJsonObject object{{u"name"_s, field.desc},
                       {u"width"_s, s.ColWidth},
                       {u"hide"_s, s.Hide},
                       {u"total"_s, s.Total}};
    switch (field.kind) {
    case FieldKind::Text:
        if (!s.StartsWith.isEmpty())
            object.insert(u"startsWith"_s, s.StartsWith);
        break;
    case FieldKind::Number:
        if (!s.LessThan.trimmed().isEmpty())
            object.insert(u"lessThan"_s, plainBound(s.LessThan, field, u"Less Than"_s, locale));
        if (!s.GreaterThan.trimmed().isEmpty())
            object.insert(u"greaterThan"_s,
                          plainBound(s.GreaterThan, field, u"Greater Than"_s, locale));
        break;
    case FieldKind::Date:
        if (s.StartDate.isValid())
            object.insert(u"startDate"_s, s.StartDate.toString(DateForm));
        if (s.EndDate.isValid())
            object.insert(u"endDate"_s, s.EndDate.toString(DateForm));
        break;
    case FieldKind::YesNo:
        if (s.WantTrue || s.WantFalse)
            object.insert(u"yesNo"_s, s.WantTrue);
        break;
    }
    return object;
}

// Reads one design; the messages say what is wrong in the user's words.
class Reader {
public:
    Reader(const ReportCatalogue& catalogue, const QLocale& locale)
        : m_locale(locale), m_loaded{ReportDefinition::withDefaults(catalogue), {}} {}

    Loaded read(const QString& source) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(source.toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !document.isObject() ||
            !document.object().contains(FormatKey))
            throw DesignError(u"it is not a report design."_s);
        const QJsonObject root = document.object();
        const QJsonValue version = root.value(FormatKey);
        if (!version.isDouble() || version.toDouble() < 1 ||
            version.toDouble() != double(version.toInt()))
            throw DesignError(u"it is not a report design."_s);
        if (version.toInt() > FormatVersion)
            throw DesignError(u"it was saved by a newer version of Purvex (design form %1; "
                              u"this version reads form %2)."_s.arg(version.toInt())
                                  .arg(FormatVersion));

        ReportDefinition& d = m_loaded.definition;
        if (root.contains(u"title"_s))
            d.title = text(root, u"title"_s, u"the title"_s);
        d.widthUnit = WidthUnit(choice(root, u"widthUnit"_s, units, int(d.widthUnit)));
        d.landscape = choice(root, u"orientation"_s, orientations, 0) == 1;
        d.pageNumbers =
            PageNumbers(choice(root, u"pageNumbers"_s, pageNumberChoices, int(d.pageNumbers)));
        d.showDate = flag(root, u"showDate"_s, u"the date in the header"_s, d.showDate);
        d.reportTo = ReportTarget(choice(root, u"reportTo"_s, targets, int(d.reportTo)));

        const QJsonValue fields = root.value(u"fields"_s);
        if (!fields.isUndefined() && !fields.isArray())
            throw DesignError(u"its list of fields cannot be read."_s);
        for (const QJsonValue& value : fields.toArray())
            readField(value);
        d.primarySort = sortField(root, u"primarySort"_s);
        d.secondarySort = sortField(root, u"secondarySort"_s);
        return m_loaded;
    }

private:
    static QString text(const QJsonObject& object, const QString& key, const QString& what) {
        const QJsonValue value = object.value(key);
        if (!value.isString())
            throw DesignError(u"%1 is not text."_s.arg(what));
        return value.toString();
    }

    static bool flag(const QJsonObject& object, const QString& key, const QString& what,
                     bool absent) {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return absent;
        if (!value.isBool())
            throw DesignError(u"%1 is neither true nor false."_s.arg(what));
        return value.toBool();
    }

    template <std::size_t N>
    static int choice(const QJsonObject& object, const QString& key, const Choice (&choices)[N],
                      int absent) {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return absent;
        for (const Choice& c : choices) {
            if (value.toString() == QLatin1String(c.word))
                return c.value;
        }
        throw DesignError(u"its %1 \"%2\" is none this version knows."_s.arg(
            key, value.isString() ? value.toString() : u"?"_s));
    }

    const CatalogueField* catalogueField(const QString& name) {
        const CatalogueField* field = m_loaded.definition.catalogue.findByDesc(name);
        const QString quoted = u"\"%1\""_s.arg(name);
        if (!field && !m_loaded.leftOut.contains(quoted, Qt::CaseInsensitive))
            m_loaded.leftOut << quoted;
        return field;
    }

    void readField(const QJsonValue& value) {
        const QJsonObject object = value.toObject();
        if (!value.isObject() || !object.value(u"name"_s).isString())
            throw DesignError(u"a field of its report has no name."_s);
        const QString name = object.value(u"name"_s).toString();
        const CatalogueField* field = catalogueField(name);
        if (!field)
            return;
        ReportDefinition& d = m_loaded.definition;
        if (d.fields.contains(field->specId))
            throw DesignError(u"it names the field \"%1\" twice."_s.arg(field->desc));
        d.fields << field->specId;
        FieldSettings& s = d.settingsOf(field->specId);
        const QString of = u" of \"%1\""_s.arg(field->desc);

        const QJsonValue width = object.value(u"width"_s);
        if (!width.isUndefined()) {
            if (!width.isDouble() || width.toDouble() < 0)
                throw DesignError(u"the width%1 is not a width."_s.arg(of));
            s.ColWidth = width.toDouble();
        }
        s.Hide = flag(object, u"hide"_s, u"Hide Field"_s + of, false);
        // Only a number field has a total; a total elsewhere would only be ignored.
        s.Total = flag(object, u"total"_s, u"Show Total"_s + of, false) &&
                  field->kind == FieldKind::Number;

        // A criterion of another kind than the field now is would be dropped: the report
        // would show rows the design meant to leave out, so the user is told.
        const auto misfit = [&](const QString& key, const QString& caption) {
            if (object.contains(key))
                m_loaded.leftOut << u"the %1 criterion of \"%2\""_s.arg(caption, field->desc);
        };
        if (field->kind == FieldKind::Text) {
            if (object.contains(u"startsWith"_s))
                s.StartsWith = text(object, u"startsWith"_s, u"Starts with:"_s + of);
        } else {
            misfit(u"startsWith"_s, u"Starts with"_s);
        }
        if (field->kind == FieldKind::Number) {
            s.LessThan = bound(object, u"lessThan"_s, u"Less Than"_s + of);
            s.GreaterThan = bound(object, u"greaterThan"_s, u"Greater Than"_s + of);
        } else {
            misfit(u"lessThan"_s, u"Less Than"_s);
            misfit(u"greaterThan"_s, u"Greater Than"_s);
        }
        if (field->kind == FieldKind::Date) {
            s.StartDate = date(object, u"startDate"_s, u"Start Date"_s + of);
            s.EndDate = date(object, u"endDate"_s, u"End Date"_s + of);
        } else {
            misfit(u"startDate"_s, u"Start Date"_s);
            misfit(u"endDate"_s, u"End Date"_s);
        }
        if (field->kind == FieldKind::YesNo) {
            if (object.contains(u"yesNo"_s)) {
                const bool wanted = flag(object, u"yesNo"_s, u"True or False"_s + of, false);
                s.WantTrue = wanted;
                s.WantFalse = !wanted;
            }
        } else {
            misfit(u"yesNo"_s, u"True/False"_s);
        }
    }

    // As the user's locale writes it, as if typed into the box.
    QString bound(const QJsonObject& object, const QString& key, const QString& what) const {
        if (!object.contains(key))
            return {};
        const QJsonValue value = object.value(key);
        const auto number =
            value.isString() ? Decimal::fromPlainText(value.toString()) : std::optional<Decimal>();
        if (!number)
            throw DesignError(u"%1 is not a number."_s.arg(what));
        return number->toString(m_locale);
    }

    static QDate date(const QJsonObject& object, const QString& key, const QString& what) {
        if (!object.contains(key))
            return {};
        const QDate day = QDate::fromString(object.value(key).toString(), DateForm);
        if (!day.isValid())
            throw DesignError(u"%1 is not a date."_s.arg(what));
        return day;
    }

    int sortField(const QJsonObject& object, const QString& key) {
        if (!object.contains(key) || object.value(key).isNull())
            return 0;
        const CatalogueField* field = catalogueField(text(object, key, u"a sort field"_s));
        return field ? field->specId : 0;
    }

    QLocale m_locale;
    Loaded m_loaded;
};

} // namespace

QString nameProblem(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return u"A design needs a name."_s;
    if (trimmed.size() > MaxNameLength)
        return u"A design's name can have at most %1 characters; this one has %2."_s
            .arg(MaxNameLength)
            .arg(trimmed.size());
    for (QChar c : trimmed) {
        if (c.category() == QChar::Other_Control)
            return u"A design's name cannot hold a tab or a line break."_s;
    }
    return {};
}

QString toText(const ReportDefinition& d, const QLocale& locale) {
    QJsonArray fields;
    for (int specId : d.fields)
        fields.append(fieldToJson(d.catalogue.field(specId), d.settingsOf(specId), locale));
    QJsonObject root{
        {FormatKey, FormatVersion},
        {u"title"_s, d.title},
        {u"widthUnit"_s, wordOf(units, int(d.widthUnit))},
        {u"orientation"_s, wordOf(orientations, d.landscape ? 1 : 0)},
        {u"pageNumbers"_s, wordOf(pageNumberChoices, int(d.pageNumbers))},
        {u"showDate"_s, d.showDate},
        {u"reportTo"_s, wordOf(targets, int(d.reportTo))},
        {u"fields"_s, fields},
    };
    if (d.primarySort > 0)
        root.insert(u"primarySort"_s, d.catalogue.field(d.primarySort).desc);
    if (d.secondarySort > 0)
        root.insert(u"secondarySort"_s, d.catalogue.field(d.secondarySort).desc);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

Loaded fromText(const QString& text, const ReportCatalogue& catalogue, const QLocale& locale) {
    return Reader(catalogue, locale).read(text);
}

QString targetName(ReportTarget target) {
    switch (target) {
    case ReportTarget::TextFile:
        return u"Text File"_s;
    case ReportTarget::WebTable:
        return u"Web Table (html)"_s;
    case ReportTarget::ScreenPrinter:
        break;
    }
    return u"Screen/Printer"_s;
}

} // namespace ReportDesign
