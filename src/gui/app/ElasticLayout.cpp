#include "gui/app/ElasticLayout.h"

#include <QLineEdit>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

ElasticLayout::ElasticLayout(int designWidth, int designHeight, QWidget* parent)
    : QWidget(parent), m_designSize(designWidth, designHeight) {}

void ElasticLayout::place(QWidget* widget, int left, int top, int width, int height) {
    if (widget->parentWidget() != this)
        widget->setParent(this);
    const QRect design(left, top, width, height);
    auto it = std::find_if(m_placements.begin(), m_placements.end(),
                           [widget](const Placement& p) { return p.widget == widget; });
    if (it == m_placements.end())
        m_placements.push_back({widget, design});
    else
        it->design = design;
    widget->setGeometry(scaledRect(design));
}

QRect ElasticLayout::designRect(const QWidget* widget) const {
    for (const Placement& p : m_placements) {
        if (p.widget == widget)
            return p.design;
    }
    return {};
}

double ElasticLayout::openingScale() {
    // The size hint follows the style and the application font, so ask a real one.
    const QLineEdit probe;
    return probe.sizeHint().height() / double(TextBoxHeight);
}

QSize ElasticLayout::openingSize() const {
    const double scale = openingScale();
    return QSize(int(std::lround(m_designSize.width() * scale)),
                 int(std::lround(m_designSize.height() * scale)));
}

QRect ElasticLayout::scaledRect(const QRect& design) const {
    if (m_designSize.isEmpty())
        return {};
    const double sx = width() / double(m_designSize.width());
    const double sy = height() / double(m_designSize.height());
    // Round the edges rather than the sizes, so that adjoining controls neither overlap
    // nor open a gap between them at any size.
    const int left = int(std::lround(design.x() * sx));
    const int top = int(std::lround(design.y() * sy));
    const int right = int(std::lround((design.x() + design.width()) * sx));
    const int bottom = int(std::lround((design.y() + design.height()) * sy));
    return QRect(left, top, right - left, bottom - top);
}

void ElasticLayout::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (const Placement& p : m_placements) {
        if (p.widget)
            p.widget->setGeometry(scaledRect(p.design));
    }
}
