#pragma once

#include <QPlainTextEdit>

class QInputMethodEvent;
class QKeyEvent;
class QMimeData;

// A multi-line box of the order form (address, items, notes). With a limit it takes no more
// than that many characters, whether they are typed, pasted, dropped or composed by an input
// method; like a single-line box at its limit it drops what does not fit and keeps the part
// that does. Without one it takes any amount.
//
// Text of megabytes on one line (pasted, or written by another tool) is shown at once: lines
// are broken at word boundaries as usual, but a box whose text holds a run of characters
// with no blank longer than any line breaks its lines anywhere instead, because looking for a
// word boundary in such a run at every line takes time that grows with the square of its
// length.
class MemoBox final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MemoBox(QWidget* parent = nullptr, int maxLength = 0);

    // Shows text as stored, choosing how lines break for it; see ShownLimit for a text too
    // long to show whole. Empty text empties the box.
    void showText(const QString& text);

    // Longer runs without a blank than this break anywhere.
    static constexpr qsizetype LongestWord = 500;

    // A stored text longer than this (about 25 pages) is shown only in part, in a box that
    // cannot be typed into: laying out megabytes takes seconds each time the box is shown or
    // resized, and editing a text that is not all there would throw the rest away. The stored
    // value is kept exactly as it is. The one-line boxes of the form do the same.
    static constexpr qsizetype ShownLimit = 100'000;
    // The part shown of such a text, with a note of what is left out.
    static QString shownPart(const QString& text);
    static QString tooLongTip(qsizetype length);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // What typing may still add: the selection is replaced, so its characters are free.
    int roomLeft() const;
    void breakAnywhereFor(const QString& text);

    int m_max;
};
