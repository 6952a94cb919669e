#pragma once

#include <QWidget>

class PageDocument;

// One page of a document drawn on screen at a zoom: at 100 % an inch of paper is a
// logical inch of screen. The widget takes the page's size at that zoom, so a scroll
// area around it scrolls over the whole page.
class PagePreview : public QWidget {
    Q_OBJECT

public:
    PagePreview(const PageDocument& document, QWidget* parent = nullptr);

    // The page shown, from 1; a page the document does not have shows blank paper.
    void setPage(int number);
    int page() const { return m_page; }
    // Percent of the paper's size.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    // Takes in a new or changed document: its paper may differ and its pages have.
    void refresh();

    QSize sizeHint() const override { return zoomedSize(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize zoomedSize() const;

    const PageDocument& m_document;
    int m_page = 1;
    int m_zoom = 100;
};
