#include "PageDocument.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Times New Roman where it is installed; elsewhere its metric twin, so that a column of
// text measures the same on every machine.
QFont reportFont(int twips, bool bold) {
    QFont font;
    font.setFamilies({u"Times New Roman"_s, u"Liberation Serif"_s, u"Times"_s});
    font.setStyleHint(QFont::Serif);
    // One pixel is one twip here; the painter scales to the device.
    font.setPixelSize(twips);
    font.setBold(bold);
    // Hinting would fit glyphs to a pixel grid that does not exist at this scale.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A cell holds one line; a line break from a memo field would otherwise vanish or spill.
QString singleLine(QString text) {
    text.replace(u"\r\n"_s, u" "_s);
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

QString fitted(const QFontMetricsF& metrics, const QString& text, double width) {
    if (width <= 0)
        return {};
    return metrics.elidedText(text, Qt::ElideRight, width);
}

PageCell fittedCell(const QFontMetricsF& metrics, const QString& text, const QRectF& box,
                    Qt::Alignment alignment) {
    PageCell cell{box, text, alignment};
    const double width = metrics.horizontalAdvance(text);
    if (width <= box.width())
        return cell;
    if (box.width() >= width * PageDocument::MinStretch) {
        cell.stretch = box.width() / width;
        return cell;
    }
    cell.text = fitted(metrics, text, box.width());
    return cell;
}

} // namespace

PageDocument::PageDocument(QObject* parent) : QObject(parent) {
    computeGeometry();
}

QFont PageDocument::bodyFont(bool bold) {
    return reportFont(225, bold);
} // 11.25 pt

QFont PageDocument::headerFont() {
    return reportFont(285, true);
} // 14.25 pt

QPageSize PageDocument::defaultPageSize(const QLocale& locale) {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull()) {
        const QPageSize size = printer.defaultPageSize();
        if (size.isValid())
            return size;
    }
    return localePageSize(locale);
}

QPageSize PageDocument::localePageSize(const QLocale& locale) {
    static const QList<QLocale::Territory> letter = {
        QLocale::UnitedStates, QLocale::Canada,           QLocale::Mexico,
        QLocale::PuertoRico,   QLocale::Philippines,      QLocale::Chile,
        QLocale::Colombia,     QLocale::Venezuela,        QLocale::CostaRica,
        QLocale::Guatemala,    QLocale::Panama,           QLocale::ElSalvador,
        QLocale::Nicaragua,    QLocale::DominicanRepublic};
    if (letter.contains(locale.territory()) ||
        locale.measurementSystem() == QLocale::ImperialUSSystem)
        return QPageSize(QPageSize::Letter);
    return QPageSize(QPageSize::A4);
}

void PageDocument::computeGeometry() {
    QSizeF paper = m_pageSize.size(QPageSize::Inch) * TwipsPerInch;
    if (m_orientation == QPageLayout::Landscape)
        paper.transpose();
    m_paper = paper;
    m_headerHeight = std::ceil(QFontMetricsF(headerFont()).height());
    const double top = Margin + m_headerHeight + BandGap;
    const double bottom = m_paper.height() - Margin - m_headerHeight - BandGap;
    m_body = QRectF(QPointF(Margin, top), QPointF(m_paper.width() - Margin, bottom));
}

QRectF PageDocument::headerRect() const {
    return QRectF(Margin, Margin, m_paper.width() - 2 * Margin, m_headerHeight);
}

QRectF PageDocument::footerRect() const {
    return QRectF(Margin, m_paper.height() - Margin - m_headerHeight, m_paper.width() - 2 * Margin,
                  m_headerHeight);
}

double PageDocument::rowHeight() const {
    return std::ceil(QFontMetricsF(bodyFont()).height()) + 2 * CellPaddingY;
}

double PageDocument::paragraphLineHeight() const {
    return std::ceil(QFontMetricsF(bodyFont()).lineSpacing());
}

void PageDocument::start() {
    m_pages.clear();
    m_header.clear();
    m_footer.clear();
    m_bold = false;
    m_pageHasBody = false;
    computeGeometry();
    m_y = m_body.top();
    m_open = true;
}

void PageDocument::end() {
    if (!m_open)
        return;
    if (m_pages.isEmpty())
        beginPage();
    m_open = false;
}

void PageDocument::beginPage() {
    m_pages.append(Page{});
    m_y = m_body.top();
    m_pageHasBody = false;
    // Held until the listener returns, even if it throws, so its output counts as heading.
    struct Notifying {
        int& depth;
        explicit Notifying(int& d) : depth(d) { ++depth; }
        ~Notifying() { --depth; }
    } notifying(m_notifying);
    Q_EMIT newPage(int(m_pages.size()));
}

double PageDocument::reserveLine(double height) {
    if (m_pages.isEmpty()) {
        beginPage();
    } else if (m_y + height > m_body.bottom() && m_pageHasBody && m_notifying == 0) {
        beginPage();
    }
    return m_y;
}

void PageDocument::addLine(PageLine line) {
    m_y = line.rect.bottom();
    m_pages.last().lines.append(std::move(line));
    if (m_notifying == 0)
        m_pageHasBody = true;
}

void PageDocument::table(const TableFormat& format, const QList<QStringList>& rows) {
    if (!m_open)
        return;
    const double height = rowHeight();
    for (const QStringList& row : rows) {
        // The new-page listener may print and change the bold setting, so the row is
        // measured only once its place is known.
        const double top = reserveLine(height);
        PageLine line;
        line.bold = m_bold;
        line.rect = QRectF(m_body.left(), top, m_body.width(), height);
        const QFontMetricsF metrics(bodyFont(m_bold));
        double left = m_body.left();
        for (qsizetype i = 0; i < format.columnCount(); ++i) {
            const TableColumn& column = format.columns().at(i);
            // A layout wider than the paper loses what lies beyond the right margin
            // rather than printing off the page.
            const double right = std::min(left + column.width, m_body.right());
            if (left >= right)
                break;
            const QRectF box(
                QPointF(left + CellPaddingX, top),
                QPointF(std::max(left + CellPaddingX, right - CellPaddingX), top + height));
            const QString text = i < row.size() ? singleLine(row.at(i)) : QString();
            line.cells.append(fittedCell(metrics, text, box,
                                         column.rightAligned ? Qt::AlignRight : Qt::AlignLeft));
            left += column.width;
        }
        addLine(std::move(line));
    }
}

void PageDocument::paragraph(const QString& text) {
    if (!m_open)
        return;
    QString body = text;
    if (body.endsWith(u"\r\n"_s))
        body.chop(2);
    else if (body.endsWith(u'\n') || body.endsWith(u'\r'))
        body.chop(1);
    body.replace(u"\r\n"_s, u"\n"_s);
    body.replace(u'\r', u'\n');
    const double height = paragraphLineHeight();
    for (const QString& part : body.split(u'\n')) {
        const double top = reserveLine(height);
        PageLine line;
        line.bold = m_bold;
        line.rect = QRectF(m_body.left(), top, m_body.width(), height);
        if (!part.isEmpty()) {
            const QFontMetricsF metrics(bodyFont(m_bold));
            line.cells.append(fittedCell(metrics, singleLine(part), line.rect, Qt::AlignLeft));
        }
        addLine(std::move(line));
    }
}

QStringList PageDocument::sections(const QString& text, int number) {
    QStringList parts = text.split(u'|');
    while (parts.size() < 3)
        parts.append(QString());
    // A "|" beyond the second belongs to the right-hand text.
    const QString right = parts.mid(2).join(u'|');
    QStringList result = {parts.at(0), parts.at(1), right};
    for (QString& part : result)
        part = singleLine(part.replace(u"%d"_s, QString::number(number)));
    return result;
}

QList<PageCell> PageDocument::bandCells(const QString& text, int number, const QRectF& band) const {
    if (text.isEmpty())
        return {};
    const QStringList parts = sections(text, number);
    const QFontMetricsF metrics(headerFont());
    const double gap = metrics.horizontalAdvance(u"  "_s);
    const double width = band.width();
    QString left = parts.at(0);
    QString centre = parts.at(1);
    QString right = parts.at(2);
    if (centre.isEmpty()) {
        // Left and right share the line; each keeps at least half of it.
        const double half = (width - gap) / 2;
        const double leftWidth = metrics.horizontalAdvance(left);
        const double rightWidth = metrics.horizontalAdvance(right);
        left = fitted(metrics, left, std::max(half, width - gap - rightWidth));
        right = fitted(metrics, right, std::max(half, width - gap - leftWidth));
    } else {
        // The centred text stays centred on the page, so it gets the middle between the
        // wider of the two sides; each side keeps at most a third.
        const double third = width / 3 - gap;
        left = fitted(metrics, left, third);
        right = fitted(metrics, right, third);
        const double side =
            std::max(metrics.horizontalAdvance(left), metrics.horizontalAdvance(right));
        const double middle = width - 2 * (side > 0 ? side + gap : 0);
        centre = fitted(metrics, centre, middle);
    }
    QList<PageCell> cells;
    if (!left.isEmpty())
        cells.append({band, left, Qt::AlignLeft});
    if (!centre.isEmpty())
        cells.append({band, centre, Qt::AlignHCenter});
    if (!right.isEmpty())
        cells.append({band, right, Qt::AlignRight});
    return cells;
}
