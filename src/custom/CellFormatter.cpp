#include "custom/CellFormatter.h"

#include "dates/LocaleDates.h"
#include "engine/EngineError.h"
#include "engine/Money.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

std::optional<Currency> currencyOf(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>();
    const auto number = Decimal::fromStored(value);
    if (!number)
        return std::nullopt;
    return Currency::fromDecimal(*number);
}

} // namespace

void ColumnTotal::add(const Currency& amount) {
    add(amount.toDecimal());
}

void ColumnTotal::add(const Decimal& number) {
    std::optional<Decimal> term = number;
    if (m_currency) {
        const auto amount = Currency::fromDecimal(number);
        term = amount ? std::optional<Decimal>(amount->toDecimal()) : std::nullopt;
    }
    if (!term) {
        m_exact = false;
        return;
    }
    try {
        m_sum += *term;
    } catch (const EngineError&) {
        // Beyond 38 digits: nothing more can be added exactly.
        m_exact = false;
    }
}

CellFormatter::CellFormatter(const QLocale& locale)
    : m_locale(locale), m_dateFormat(LocaleDates::shortDateFormat(locale)) {}

bool CellFormatter::isTrue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return false;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool();
    if (value.metaType().id() == QMetaType::QString) {
        // As the database reads a text as a number: its leading number, or 0.
        static const QRegularExpression leadingNumber(
            u"^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"_s);
        const auto match = leadingNumber.match(value.toString());
        if (!match.hasMatch())
            return false;
        const auto number = Decimal::fromPlainText(match.captured(0));
        // A number too large to hold is no zero either.
        return !number || !number->isZero();
    }
    const auto number = Decimal::fromStored(value);
    return number && !number->isZero();
}

QString CellFormatter::number(bool isCurrency, const QVariant& value, ColumnTotal* total) const {
    if (isCurrency) {
        const auto amount = currencyOf(value);
        // Whatever another tool stored that is no number is shown as it stands.
        if (!amount)
            return value.toString();
        if (total)
            total->add(*amount);
        return money(*amount);
    }
    const auto number = Decimal::fromStored(value);
    if (!number)
        return value.toString();
    if (total)
        total->add(*number);
    return number->toString(m_locale);
}

QString CellFormatter::cell(const CatalogueField& field, bool isCurrency, const QVariant& value,
                            ColumnTotal* total) const {
    if (field.kind == FieldKind::YesNo)
        return isTrue(value) ? u"Yes"_s : u"No"_s;
    if (!value.isValid() || value.isNull())
        return {};
    switch (field.kind) {
    case FieldKind::Text:
        return value.toString();
    case FieldKind::Number:
        return number(isCurrency, value, total);
    case FieldKind::Date:
        return date(value.toDate());
    case FieldKind::YesNo:
        break;
    }
    return {};
}

QString CellFormatter::money(const Currency& amount) const {
    const auto known = m_amounts.constFind(amount.raw());
    if (known != m_amounts.cend())
        return *known;
    if (m_amounts.size() >= MaxRemembered)
        m_amounts.clear();
    return *m_amounts.insert(amount.raw(), formatCurrency(amount, m_locale));
}

QString CellFormatter::date(const QDate& day) const {
    if (!day.isValid())
        return {};
    const auto known = m_dates.constFind(day.toJulianDay());
    if (known != m_dates.cend())
        return *known;
    if (m_dates.size() >= MaxRemembered)
        m_dates.clear();
    return *m_dates.insert(day.toJulianDay(), m_locale.toString(day, m_dateFormat));
}

QString CellFormatter::totalCell(const ColumnTotal& total) const {
    if (!total.isExact())
        return {};
    if (total.isCurrency())
        return formatCurrency(total.sum(), m_locale);
    return total.sum().toString(m_locale);
}
