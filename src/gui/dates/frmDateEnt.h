#pragma once

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <QTableWidget>

#include <functional>

struct AppState;
class ElasticLayout;
class QLineEdit;
class QToolButton;
class Services;

// A pair of small arrow buttons, one above the other, that move a value up or down. The
// buttons never take the focus, so the keyboard stays where the user left it.
class SpinButton : public QWidget {
    Q_OBJECT

public:
    explicit SpinButton(QWidget* parent = nullptr);

    // The two halves, named "up" and "down".
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    void SpinUp();
    void SpinDown();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};

// The calendar's grid: row 0 holds the weekday headings, rows 1 to 6 the weeks. Which cell
// is highlighted is decided by the calendar alone: a click only reports the cell, and the
// keyboard moves between day cells, never onto a heading or an empty cell.
class DayGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit DayGrid(QWidget* parent = nullptr);

    // The one highlighted cell, also the current cell for the keyboard.
    void highlight(int row, int column);
    int highlightedRow() const { return m_row; }
    int highlightedColumn() const { return m_column; }

Q_SIGNALS:
    // A press and release on the same cell, heading row included.
    void Click(int row, int column);
    // Enter on the highlighted cell.
    void picked(int row, int column);
    void pageUp();
    void pageDown();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool isDayCell(int row, int column) const;

    int m_row = -1;
    int m_column = -1;
    int m_pressedRow = -1;
    int m_pressedColumn = -1;
};

// The calendar pop-up: one month of day numbers under weekday headings, with arrows for the
// month and the year. It opens on state.gSelDate; a click on a day stores that date in
// gSelDate and accepts the dialog, any other way of closing leaves gSelDate alone.
//
// Constructing the window is loading it: it reads gSelDate at once, so the caller sets
// gSelDate first. It is meant to be built afresh for each opening.
class frmDateEnt : public QDialog {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 4215;
    static constexpr int DesignHeight = 2340;
    // The arrows refuse to go past these years: above 9999 no date exists, and below 100 a
    // composed year of one or two digits would be read back as one of this century.
    static constexpr int LastYear = 9999;
    static constexpr int FirstYear = 100;

    frmDateEnt(AppState& state, Services& services, QWidget* parent = nullptr);
    ~frmDateEnt() override;

    QDate shownDate() const { return ShownDate; }
    int shownMonth() const { return ShownMonth; }
    int shownYear() const { return ShownYear; }
    const QStringList& monthNames() const { return MonthNames; }
    // The text of a grid cell, headings in row 0.
    QString cellText(int row, int column) const;
    ElasticLayout* elasticLayout() const { return m_layout; }

    // The arrows: month back and forward, year back and forward.
    void Spin1_SpinDown();
    void Spin1_SpinUp();
    void Spin2_SpinDown();
    void Spin2_SpinUp();
    void Grid1_Click(int row, int column);

    QLineEdit* txtMonth = nullptr;
    SpinButton* Spin1 = nullptr;
    QLineEdit* txtYear = nullptr;
    SpinButton* Spin2 = nullptr;
    DayGrid* Grid1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void ShowMonth();
    // Moves to targetMonth of targetYear, keeping the shown day where that month has it.
    void moveTo(int targetMonth, int targetYear);
    // Makes the day the keyboard highlighted the shown day, which the arrows carry over.
    void takeHighlightedDay();
    // The date a composed month-day-year text stands for, read back as the user's locale
    // reads typed dates.
    QDate composedDate(int month, int day, int year) const;
    bool composesADate(int month, int day, int year) const;

    AppState& m_state;
    Services& m_services;
    ElasticLayout* m_layout = nullptr;

    QDate ShownDate;
    int ShownMonth = 0;
    int ShownYear = 0;
    QStringList MonthNames;
};
