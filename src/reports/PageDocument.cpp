#include "reports/PageDocument.h"

#include <QFontMetricsF>
#include <QHash>
#include <QLocale>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

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

// A header or footer holds one line; a line break would otherwise vanish or spill.
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

// Line breaks of every kind become "\n", tabs spaces. Breaks at the end would only add
// empty lines under the text, as a memo field saved with a final Enter has.
QString cellText(QString text) {
    text.replace(u"\r\n"_s, u"\n"_s);
    for (QChar& c : text) {
        if (c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u'\n';
        else if (c == u'\t')
            c = u' ';
    }
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

// A date, an amount or a count reads wrongly when its digits are spread over two lines,
// and a word broken in two reads worse than a word drawn a little narrower. A currency
// code ("kr", "CHF") may stand beside the figure.
bool keepsToOneLine(const QString& text) {
    if (!text.contains(u' '))
        return true;
    const auto letters =
        std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    const bool digits = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    return digits && letters < 4;
}

void trimEnd(QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
}

// Greedy breaking at the places Unicode allows (spaces, after hyphens, between
// ideographs); a word wider than the whole width is broken where the width runs out.
QStringList wrapped(const QFont& font, const QString& text, double width) {
    if (text.isEmpty())
        return {QString()};
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (line.textLength() <= 0)
            break;
        QString part = text.mid(line.textStart(), line.textLength());
        // The space a line was broken at stays behind, unseen, and must not push a
        // right-aligned line off its edge.
        trimEnd(part);
        lines.append(part);
    }
    layout.endLayout();
    return lines;
}

struct FittedText {
    QStringList lines;
    double stretch = 1;
    // The width of a text that fits on one line.
    double advance = -1;
};

} // namespace

// The measures of one face of the body font, worked out once per document: every row
// asks for them, and finding a font's metrics costs more than laying out the row.
struct PageDocument::Face {
    explicit Face(const QFont& f)
        : font(f), metrics(f), lineHeight(PageDocument::lineHeight(f)),
          lineSpacing(PageDocument::lineSpacing(f)) {}

    // Reports repeat their dates, amounts, codes and vendors row after row; each text is
    // shaped once, for measuring and for drawing.
    const ShapedText& shaped(const QString& text) {
        const auto known = shapes.constFind(text);
        if (known != shapes.cend())
            return *known;
        if (shapes.size() >= MaxRemembered)
            shapes.clear();
        QTextLayout layout(text, font);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        ShapedText shape;
        if (line.isValid()) {
            line.setLineWidth(std::numeric_limits<int>::max() / 2);
            shape.ascent = line.ascent();
            shape.width = line.horizontalAdvance();
        }
        layout.endLayout();
        shape.runs = layout.glyphRuns();
        return *shapes.insert(text, std::move(shape));
    }

    double advance(const QString& text) { return shaped(text).width; }

    double height(int lines) const { return lineHeight + std::max(0, lines - 1) * lineSpacing; }

    static constexpr qsizetype MaxRemembered = 50000;

    QFont font;
    QFontMetricsF metrics;
    double lineHeight;
    double lineSpacing;
    QHash<QString, ShapedText> shapes;
};

namespace {

// The lines a text takes in a box of the given width, in the face it is drawn in.
FittedText fitText(PageDocument::Face& face, const QString& raw, double width) {
    const QString text = cellText(raw);
    if (text.isEmpty() || width <= 0)
        return {};
    if (!text.contains(u'\n')) {
        const double natural = face.advance(text);
        if (natural <= width)
            return {{text}, 1, natural};
        if (natural * PageDocument::MinStretch <= width && keepsToOneLine(text))
            return {{text}, width / natural, natural};
    }
    FittedText result;
    for (const QString& part : text.split(u'\n'))
        result.lines.append(wrapped(face.font, part, width));
    return result;
}

} // namespace

PageDocument::PageDocument(QObject* parent) : QObject(parent) {
    computeGeometry();
}

PageDocument::~PageDocument() = default;

PageDocument::Face& PageDocument::face(TextFace which) const {
    std::unique_ptr<Face>& face = m_faces[int(which)];
    if (!face)
        face = std::make_unique<Face>(
            which == TextFace::Header ? headerFont() : bodyFont(which == TextFace::Bold));
    return *face;
}

const ShapedText& PageDocument::shapedText(const QString& text, TextFace which) const {
    return face(which).shaped(text);
}

QFont PageDocument::bodyFont(bool bold) {
    return reportFont(225, bold);
} // 11.25 pt

QFont PageDocument::headerFont() {
    return reportFont(285, true);
} // 14.25 pt

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

namespace {

QSizeF paperTwips(const QPageSize& size, QPageLayout::Orientation orientation) {
    QSizeF paper = size.size(QPageSize::Inch) * PageDocument::TwipsPerInch;
    if (orientation == QPageLayout::Landscape)
        paper.transpose();
    return paper;
}

} // namespace

double PageDocument::bodyWidth(const QPageSize& size, QPageLayout::Orientation orientation) {
    return paperTwips(size, orientation).width() - 2 * Margin;
}

void PageDocument::computeGeometry() {
    m_paper = paperTwips(m_pageSize, m_orientation);
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

double PageDocument::lineSpacing(const QFont& font) {
    const QFontMetricsF metrics(font);
    return std::ceil(std::max(metrics.lineSpacing(), metrics.height()));
}

double PageDocument::lineHeight(const QFont& font) {
    return std::ceil(QFontMetricsF(font).height());
}

double PageDocument::rowHeight(int lines) const {
    return face(false).height(lines) + 2 * CellPaddingY;
}

double PageDocument::paragraphLineHeight() const {
    return std::ceil(face(false).metrics.lineSpacing());
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

struct PageDocument::CellLayout {
    double left = 0;
    double width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    FittedText text;
};

QList<PageDocument::CellLayout> PageDocument::layoutRow(const TableFormat& format,
                                                        const QStringList& row, bool bold) const {
    Face& font = face(bold);
    QList<CellLayout> cells;
    cells.reserve(format.columnCount());
    double left = m_body.left();
    for (qsizetype i = 0; i < format.columnCount(); ++i) {
        const TableColumn& column = format.columns().at(i);
        // A layout wider than the paper loses what lies beyond the right margin
        // rather than printing off the page.
        const double right = std::min(left + column.width, m_body.right());
        if (left >= right)
            break;
        CellLayout cell;
        cell.left = left + CellPaddingX;
        cell.width = std::max(0.0, right - CellPaddingX - cell.left);
        cell.alignment = column.rightAligned ? Qt::AlignRight : Qt::AlignLeft;
        if (i < row.size())
            cell.text = fitText(font, row.at(i), cell.width);
        cells.append(std::move(cell));
        left += column.width;
    }
    return cells;
}

void PageDocument::placeRow(const QList<CellLayout>& cells, bool bold, double top) {
    const Face& font = face(bold);
    qsizetype total = 1;
    for (const CellLayout& cell : cells)
        total = std::max(total, cell.text.lines.size());
    qsizetype done = 0;
    for (;;) {
        qsizetype count = total - done;
        // Headings are placed whole: they are printed while a page begins and have no
        // other page to go to.
        if (m_notifying == 0) {
            const double room = m_body.bottom() - top - 2 * CellPaddingY;
            const double extra = std::floor((room - font.lineHeight) / font.lineSpacing);
            // At least one line per page, however little room the headings left, so the
            // row always comes to an end.
            count = std::clamp(qsizetype(std::max(extra, -1.0)) + 1, qsizetype(1), count);
        }
        PageLine line;
        line.bold = bold;
        const double height = font.height(int(count)) + 2 * CellPaddingY;
        line.rect = QRectF(m_body.left(), top, m_body.width(), height);
        line.cells.reserve(cells.size());
        for (const CellLayout& cell : cells) {
            const QRectF box(cell.left, top + CellPaddingY, cell.width, height - 2 * CellPaddingY);
            // The usual row is one line whole: no list to cut up and join again.
            const bool whole = done == 0 && count >= cell.text.lines.size();
            const QString text =
                whole ? cell.text.lines.join(u'\n') : cell.text.lines.mid(done, count).join(u'\n');
            line.cells.append(
                {box, text, cell.alignment, cell.text.stretch, whole ? cell.text.advance : -1});
        }
        addLine(std::move(line));
        done += count;
        if (done >= total)
            break;
        beginPage();
        top = m_y;
    }
}

void PageDocument::table(const TableFormat& format, const QList<QStringList>& rows) {
    if (!m_open)
        return;
    for (const QStringList& row : rows) {
        bool bold = m_bold;
        QList<CellLayout> cells = layoutRow(format, row, bold);
        qsizetype lines = 1;
        for (const CellLayout& cell : cells)
            lines = std::max(lines, cell.text.lines.size());
        const double top = reserveLine(face(bold).height(int(lines)) + 2 * CellPaddingY);
        // The new-page listener may have printed headings and left the bold setting changed.
        if (bold != m_bold) {
            bold = m_bold;
            cells = layoutRow(format, row, bold);
        }
        placeRow(cells, bold, top);
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
    // Measured in the face it is printed in, whatever a new page's headings do meanwhile.
    const bool bold = m_bold;
    Face& font = face(bold);
    for (const QString& part : body.split(u'\n')) {
        const FittedText fit = fitText(font, part, m_body.width());
        // Each wrapped line is a line of its own, so a long paragraph runs on over the
        // page end as text does.
        const QStringList pieces = fit.lines.isEmpty() ? QStringList{QString()} : fit.lines;
        for (const QString& piece : pieces) {
            const double top = reserveLine(height);
            PageLine line;
            line.bold = bold;
            line.rect = QRectF(m_body.left(), top, m_body.width(), height);
            if (!piece.isEmpty())
                line.cells.append({line.rect, piece, Qt::AlignLeft, fit.stretch,
                                   pieces.size() == 1 ? fit.advance : -1});
            addLine(std::move(line));
        }
    }
}

QStringList PageDocument::sections(const QString& text, int number) {
    QStringList result(1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == u'%' && next == u'd') {
            result.last() += QString::number(number);
            ++i;
        } else if (c == u'%' && (next == u'%' || next == u'|')) {
            result.last() += next;
            ++i;
        } else if (c == u'|' && result.size() < 3) {
            result.append(QString());
        } else {
            // A "|" beyond the second belongs to the right-hand text.
            result.last() += c;
        }
    }
    while (result.size() < 3)
        result.append(QString());
    for (QString& part : result)
        part = singleLine(part);
    return result;
}

QString PageDocument::literal(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'%' || c == u'|')
            escaped += u'%';
        escaped += c;
    }
    return escaped;
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
