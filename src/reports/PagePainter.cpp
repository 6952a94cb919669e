#include "reports/PagePainter.h"

#include "reports/PageDocument.h"

#include "engine/OutputFile.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// A font with the measures drawing needs, found once for all the pages painted together.
// The texts themselves come shaped from the document, which measured them with the same
// glyphs when it laid them out.
struct Face {
    Face(const QFont& f, TextFace which)
        : font(f), metrics(f), lineHeight(PageDocument::lineHeight(f)),
          spacing(PageDocument::lineSpacing(f)), face(which) {}

    QFont font;
    QFontMetricsF metrics;
    double lineHeight;
    double spacing;
    TextFace face;
};

// The faces of a page: header and footer, body, bold body.
struct Faces {
    Face header{PageDocument::headerFont(), TextFace::Header};
    Face body{PageDocument::bodyFont(false), TextFace::Body};
    Face bold{PageDocument::bodyFont(true), TextFace::Bold};
};

// A text narrowed to fit: drawn through a scale, and held to its box by a clip.
void paintStretched(QPainter& painter, const Face& face, const PageCell& cell) {
    painter.save();
    painter.setClipRect(cell.rect, Qt::IntersectClip);
    QRectF box = cell.rect;
    painter.translate(box.left(), 0);
    painter.scale(cell.stretch, 1);
    box = QRectF(0, box.top(), box.width() / cell.stretch, box.height());
    box.setHeight(std::min(box.height(), face.lineHeight));
    for (const QString& line : cell.lines()) {
        painter.drawText(box, int(cell.alignment | Qt::AlignVCenter | Qt::TextSingleLine), line);
        box.translate(0, face.spacing);
    }
    painter.restore();
}

// The glyphs of one line of cells, gathered into one run per font (normally one for the
// whole line): a PDF costs more for each text it is handed than for each glyph in it.
class LineGlyphs {
public:
    void add(const QGlyphRun& run, const QPointF& origin) {
        const QRawFont font = run.rawFont();
        auto batch = std::find_if(m_batches.begin(), m_batches.end(),
                                  [&font](const Batch& b) { return b.font == font; });
        if (batch == m_batches.end()) {
            m_batches.append({font, {}, {}});
            batch = std::prev(m_batches.end());
        }
        batch->glyphs.append(run.glyphIndexes());
        for (const QPointF& position : run.positions())
            batch->positions.append(origin + position);
    }

    void draw(QPainter& painter) const {
        for (const Batch& batch : m_batches) {
            QGlyphRun run;
            run.setRawFont(batch.font);
            run.setGlyphIndexes(batch.glyphs);
            run.setPositions(batch.positions);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
    }

private:
    struct Batch {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    QList<Batch> m_batches;
};

void paintCells(QPainter& painter, const PageDocument& document, const Face& face,
                const QList<PageCell>& cells) {
    LineGlyphs glyphs;
    for (const PageCell& cell : cells) {
        if (cell.text.isEmpty())
            continue;
        if (cell.stretch < 1) {
            paintStretched(painter, face, cell);
            continue;
        }
        // The text was fitted to its box when it was laid out, so it is drawn at a point
        // without a clip. Every cell of a row starts on the row's first line, centred in a
        // line's height.
        const double lineBox = std::min(cell.rect.height(), face.lineHeight);
        double baseline =
            cell.rect.top() + (lineBox - face.metrics.height()) / 2 + face.metrics.ascent();
        const bool single = !cell.text.contains(u'\n');
        const QStringList lines = single ? QStringList{cell.text} : cell.lines();
        for (const QString& line : lines) {
            const ShapedText& shape = document.shapedText(line, face.face);
            double x = cell.rect.left();
            if (cell.alignment & Qt::AlignRight)
                x = cell.rect.right() - shape.width;
            else if (cell.alignment & Qt::AlignHCenter)
                x = cell.rect.left() + (cell.rect.width() - shape.width) / 2;
            for (const QGlyphRun& run : shape.runs)
                glyphs.add(run, QPointF(x, baseline - shape.ascent));
            baseline += face.spacing;
        }
    }
    glyphs.draw(painter);
}

void paintPageWith(QPainter& painter, const PageDocument& document, int number, Faces& faces) {
    if (number < 1 || number > document.pageCount())
        return;
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(faces.header.font);
    paintCells(painter, document, faces.header, document.headerCells(number));
    paintCells(painter, document, faces.header, document.footerCells(number));
    const Face* current = nullptr;
    for (const PageLine& line : document.page(number).lines) {
        Face& face = line.bold ? faces.bold : faces.body;
        if (&face != current) {
            painter.setFont(face.font);
            current = &face;
        }
        paintCells(painter, document, face, line.cells);
    }
    painter.restore();
}

QPageLayout layoutOf(const PageDocument& document) {
    return QPageLayout(document.pageSize(), document.orientation(), QMarginsF(0, 0, 0, 0));
}

} // namespace

void paintPage(QPainter& painter, const PageDocument& document, int number) {
    Faces faces;
    paintPageWith(painter, document, number, faces);
}

bool paintDocument(const PageDocument& document, QPagedPaintDevice& device,
                   const QSizeF& paperPixels, QString* error) {
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = u"the output device did not accept the pages"_s;
        return false;
    }
    const QSizeF paper = document.paperSize();
    // Paper smaller than the document's gets the whole page, scaled down to fit; larger
    // paper gets it at its own size.
    const double scale =
        std::min({device.logicalDpiX() / PageDocument::TwipsPerInch,
                  paperPixels.width() / paper.width(), paperPixels.height() / paper.height()});
    Faces faces;
    for (int number = 1; number <= document.pageCount(); ++number) {
        if (number > 1 && !device.newPage()) {
            painter.end();
            if (error)
                *error = u"the output device did not accept page %1"_s.arg(number);
            return false;
        }
        painter.save();
        painter.scale(scale, scale);
        paintPageWith(painter, document, number, faces);
        painter.restore();
    }
    if (!painter.end()) {
        if (error)
            *error = u"the output device could not finish the pages"_s;
        return false;
    }
    return true;
}

bool writePdf(const PageDocument& document, const QString& fileName, QString* error) {
    OutputFile file(fileName);
    return writePdf(document, file, error);
}

bool writePdf(const PageDocument& document, OutputFile& file, QString* error) {
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file.device());
        writer.setCreator(QCoreApplication::applicationName());
        writer.setTitle(u"Purvex report"_s);
        writer.setPageLayout(layoutOf(document));
        const QSizeF paperPixels =
            writer.pageLayout().fullRectPixels(writer.resolution()).size().toSizeF();
        painted = paintDocument(document, writer, paperPixels, error);
    }
    if (!painted) {
        file.cancel();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
