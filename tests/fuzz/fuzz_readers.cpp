// Random and mutated text through the readers of typed dates and amounts, in every locale Qt
// knows, built with AddressSanitizer and UndefinedBehaviorSanitizer: a crash, a read out of
// bounds or undefined behaviour stops the run with the input that caused it printed in full,
// and so does a reader that contradicts itself.
//
//   fuzz_readers [--seconds N] [--seed S]      run for N seconds (default 60)
//   fuzz_readers --replay LOCALE YEAR TEXT     one input; TEXT may use \uXXXX escapes
//
// CTest runs it for ten seconds and CI for minutes; run it for longer by hand after changing
// the readers.
#include "dates/LocaleDates.h"
#include "engine/Currency.h"
#include "engine/Decimal.h"
#include "engine/Money.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" {
// Qt's own allocations live as long as the process; they are not what is looked for here.
const char* __asan_default_options() {
    return "detect_leaks=0";
}
void __sanitizer_set_death_callback(void (*callback)());
}

namespace {

struct Input {
    QString text;
    QLocale locale;
    int year = 2026;
};

Input g_current;

QString escaped(const QString& text) {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (c >= 0x20 && c < 0x7f && c != u'\\' && c != u'"')
            out += QChar(char16_t(c));
        else
            out += QStringLiteral("\\u{%1}").arg(quint32(c), 4, 16, QLatin1Char('0'));
    }
    return out;
}

void printCurrent() {
    std::fprintf(stderr,
                 "\nfailing input: locale %s, year %d, text \"%s\"\nreplay with: "
                 "fuzz_readers --replay %s %d '%s'\n",
                 qPrintable(g_current.locale.name()), g_current.year,
                 qPrintable(escaped(g_current.text)), qPrintable(g_current.locale.name()),
                 g_current.year, qPrintable(escaped(g_current.text)));
    std::fflush(stderr);
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "finding: %s\n", what);
    printCurrent();
    std::exit(1);
}

// One input through every reader, with the checks a reader owes its callers.
void exercise(const Input& input) {
    g_current = input;
    const auto date = LocaleDates::toDate(input.text, input.locale, input.year);
    if (date.has_value() != LocaleDates::isDate(input.text, input.locale, input.year))
        fail("isDate disagrees with toDate");
    if (date && (!date->date.isValid() || date->date.year() < 100 || date->date.year() > 9999))
        fail("a date outside the years 100 to 9999 was accepted");
    if (date)
        (void)date->toVariant();
    (void)LocaleDates::plainText(input.text);

    const auto amount = parseCurrency(input.text, input.locale);
    if (amount) {
        const QString shown = formatCurrency(*amount, input.locale);
        if (!parseCurrency(shown, input.locale))
            fail("an amount the box accepted is shown as text the box refuses");
        (void)amount->isStorable();
        (void)amount->toDouble();
    }
    if (const auto decimal = Currency::fromDecimalText(input.text))
        (void)decimal->toDecimalText();
    if (const auto number = Decimal::fromPlainText(input.text)) {
        const auto back = Decimal::fromPlainText(number->toPlainText());
        if (!back || !(*back == *number))
            fail("a decimal does not read back from its own text");
        if (const auto amount = Currency::fromDecimal(*number);
            amount && !(Currency::fromDecimalText(amount->toDecimalText()) == amount))
            fail("an amount does not read back from its own text");
    }
}

QStringList wordsOf(const QLocale& locale) {
    QStringList words{locale.amText(),         locale.pmText(),
                      locale.currencySymbol(), locale.currencySymbol(QLocale::CurrencyIsoCode),
                      locale.negativeSign(),   locale.positiveSign(),
                      locale.decimalPoint(),   locale.groupSeparator()};
    for (int i = 1; i <= 12; ++i) {
        words << locale.monthName(i, QLocale::LongFormat)
              << locale.monthName(i, QLocale::ShortFormat) << locale.standaloneMonthName(i);
    }
    for (int i = 1; i <= 7; ++i)
        words << locale.dayName(i, QLocale::LongFormat) << locale.dayName(i, QLocale::ShortFormat);
    for (int d = 0; d <= 9; ++d)
        words << locale.toString(d);
    return words;
}

// Texts a user of the locale might type: its dates and amounts, written in its own ways.
QStringList seedsOf(const QLocale& locale, QRandomGenerator& random) {
    QStringList seeds;
    for (int i = 0; i < 4; ++i) {
        const QDate day = QDate(100, 1, 1).addDays(random.bounded(3'600'000));
        const QDateTime when(day, QTime(random.bounded(24), random.bounded(60)));
        seeds << LocaleDates::shortDate(day, locale) << locale.toString(day, QLocale::ShortFormat)
              << locale.toString(day, QLocale::LongFormat)
              << locale.toString(when, QLocale::ShortFormat)
              << locale.toString(when, QLocale::LongFormat)
              << formatCurrency(
                     Currency::fromRaw(qint64(random.generate64() >> random.bounded(64)) *
                                       (random.bounded(2) ? 1 : -1)),
                     locale)
              << locale.toCurrencyString(random.bounded(2e9) - 1e9);
    }
    return seeds;
}

const QStringList& oddities() {
    static const QStringList list{
        QStringLiteral("\u200f"),     QStringLiteral("\u200e"),
        QStringLiteral("\u00a0"),     QStringLiteral("\u202f"),
        QStringLiteral("\u2212"),     QStringLiteral("\u0301"),
        QStringLiteral("\U0001F600"), QString(QChar(0xd800)),
        QString(QChar(0xdc00)),       QStringLiteral("\t"),
        QStringLiteral("\n"),         QStringLiteral("("),
        QStringLiteral(")"),          QStringLiteral("/"),
        QStringLiteral("-"),          QStringLiteral("."),
        QStringLiteral(","),          QStringLiteral(" "),
        QStringLiteral(":"),          QStringLiteral("T"),
        QStringLiteral("e"),          QStringLiteral("E+"),
        QStringLiteral("0"),          QStringLiteral("9"),
        QStringLiteral("99"),         QStringLiteral("9999999999999999999999"),
        QStringLiteral("'"),          QStringLiteral("\u00a5"),
        QStringLiteral("\uffe5"),     QStringLiteral("AM"),
        QStringLiteral("PM"),         QStringLiteral("Tue"),
        QStringLiteral("May"),        QStringLiteral("Sunday,"),
        QStringLiteral("July"),
    };
    return list;
}

QString mutated(QString text, const QStringList& words, const QStringList& seeds,
                QRandomGenerator& random) {
    const int edits = 1 + random.bounded(6);
    for (int e = 0; e < edits; ++e) {
        const qsizetype at = text.isEmpty() ? 0 : random.bounded(int(text.size() + 1));
        const QString piece = random.bounded(3) == 0
                                  ? oddities().at(random.bounded(int(oddities().size())))
                                  : words.at(random.bounded(int(words.size())));
        switch (random.bounded(5)) {
        case 0:
            text.insert(at, piece);
            break;
        case 1:
            text.remove(at, 1 + random.bounded(4));
            break;
        case 2:
            text.replace(at, 1 + random.bounded(3), piece);
            break;
        case 3: {
            const QString& other = seeds.at(random.bounded(int(seeds.size())));
            text = text.left(at) + other.mid(random.bounded(int(other.size() + 1)));
            break;
        }
        default:
            text.insert(at, QChar(char16_t(random.bounded(0x10000))));
            break;
        }
    }
    return text;
}

QString unescaped(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.mid(i, 3) == QLatin1String("\\u{")) {
            const qsizetype end = text.indexOf(u'}', i);
            const char32_t c = text.mid(i + 3, end - i - 3).toUInt(nullptr, 16);
            out += QString::fromUcs4(&c, 1);
            i = end;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    __sanitizer_set_death_callback(printCurrent);
    const QStringList args = app.arguments();

    if (args.value(1) == QLatin1String("--replay") && args.size() == 5) {
        exercise({unescaped(args.at(4)), QLocale(args.at(2)), args.at(3).toInt()});
        std::printf("no finding\n");
        return 0;
    }
    double seconds = qEnvironmentVariableIntValue("PVX_FUZZ_SECONDS");
    if (seconds <= 0)
        seconds = 60;
    quint64 seed = QDateTime::currentMSecsSinceEpoch();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--seconds"))
            seconds = args.at(i + 1).toDouble();
        else if (args.at(i) == QLatin1String("--seed"))
            seed = args.at(i + 1).toULongLong();
    }
    std::printf("fuzz_readers: seed %llu, %.0f s\n", static_cast<unsigned long long>(seed),
                seconds);
    std::fflush(stdout);
    QRandomGenerator random(quint32(seed ^ (seed >> 32)));

    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    // The inputs that once crashed the date reader come first, in their own locales.
    const Input regressions[] = {
        {QStringLiteral("Tue 5 May"), QLocale(QStringLiteral("en_US"))},
        {QStringLiteral("Monday May 5"), QLocale(QStringLiteral("en_US"))},
        {QStringLiteral("Sunday, July 1984"), QLocale(QStringLiteral("en_US"))},
        {QStringLiteral("रविवार, जुलाई 1384 5:45 PM"), QLocale(QStringLiteral("hi_IN"))},
        {QStringLiteral("چهارشنبه  مارس ۲۷۷۵ ۲:۱۹"), QLocale(QStringLiteral("fa_IR"))},
        {QStringLiteral("922337203685477.58"), QLocale(QStringLiteral("en_US"))},
        {QStringLiteral("30.05.0050"), QLocale(QStringLiteral("de_DE"))},
    };
    for (const Input& input : regressions)
        exercise(input);

    QElapsedTimer timer;
    timer.start();
    qint64 inputs = 0;
    while (timer.elapsed() < seconds * 1000) {
        const QLocale& locale = locales.at(random.bounded(int(locales.size())));
        const QStringList words = wordsOf(locale);
        const QStringList seeds = seedsOf(locale, random);
        const int year = random.bounded(4) == 0 ? random.bounded(100, 10000) : 2026;
        for (int round = 0; round < 200; ++round) {
            QString text = seeds.at(random.bounded(int(seeds.size())));
            if (random.bounded(8) == 0)
                text.clear();
            exercise({mutated(text, words, seeds, random), locale, year});
            ++inputs;
        }
    }
    std::printf("fuzz_readers: %lld inputs in %lld locales, no finding\n",
                static_cast<long long>(inputs), static_cast<long long>(locales.size()));
    return 0;
}
