#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

// A container that places each child by its design rectangle in twips and stretches all
// rectangles in proportion when it is resized, so a form reads as a table of its controls.
//
// The design's 15 twips per pixel is too tight for today's fonts, so a window opens at a
// scale where a 285-twip text box is exactly as tall as a QLineEdit wants to be.
class ElasticLayout : public QWidget {
public:
    // The design height of a single-line text box, the yardstick of the opening scale.
    static constexpr int TextBoxHeight = 285;

    ElasticLayout(int designWidth, int designHeight, QWidget* parent = nullptr);

    // Places widget (made a child if it is not one) at its design rectangle.
    void place(QWidget* widget, int left, int top, int width, int height);
    QRect designRect(const QWidget* widget) const;
    QSize designSize() const { return m_designSize; }

    // Pixels per twip at which windows open.
    static double openingScale();
    // The design size at the opening scale.
    QSize openingSize() const;

    // Where a design rectangle lands at the current size; neighbouring rectangles share
    // their edges, so controls that touch in the design still touch.
    QRect scaledRect(const QRect& design) const;

    QSize sizeHint() const override { return openingSize(); }
    QSize minimumSizeHint() const override { return openingSize() / 2; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placement {
        QPointer<QWidget> widget; // a control deleted before the form drops out by itself
        QRect design;
    };

    QSize m_designSize;
    std::vector<Placement> m_placements;
};
