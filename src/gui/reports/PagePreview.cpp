#include "gui/reports/PagePreview.h"

#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include <QPainter>

#include <cmath>

PagePreview::PagePreview(const PageDocument& document, QWidget* parent)
    : QWidget(parent), m_document(document) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(zoomedSize());
}

void PagePreview::setPage(int number) {
    if (number == m_page)
        return;
    m_page = number;
    update();
}

void PagePreview::setZoom(int percent) {
    m_zoom = percent;
    refresh();
}

void PagePreview::refresh() {
    setFixedSize(zoomedSize());
    update();
}

QSize PagePreview::zoomedSize() const {
    const QSizeF paper = m_document.paperSize();
    const double scale = m_zoom / 100.0 / PageDocument::TwipsPerInch;
    return QSize(int(std::lround(paper.width() * scale * logicalDpiX())),
                 int(std::lround(paper.height() * scale * logicalDpiY())));
}

void PagePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QSizeF paper = m_document.paperSize();
    if (!paper.isEmpty()) {
        painter.save();
        painter.scale(width() / paper.width(), height() / paper.height());
        paintPage(painter, m_document, m_page);
        painter.restore();
    }
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
