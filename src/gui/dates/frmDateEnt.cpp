#include "gui/dates/frmDateEnt.h"

#include "core/AppState.h"
#include "dates/DateFormats.h"
#include "dates/LocaleDates.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int GridRows = 7;
constexpr int GridColumns = 7;

// A Sunday: the headings are written from it onwards, so Sunday always comes first,
// whatever day the user's week starts on.
QDate headingSunday() {
    return QDate(1998, 5, 31);
}

} // namespace

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
    const auto half = [this](const QString& name, Qt::ArrowType arrow) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        // Holding an arrow keeps counting, as spin buttons always have.
        button->setAutoRepeat(true);
        return button;
    };
    m_up = half(u"up"_s, Qt::UpArrow);
    m_down = half(u"down"_s, Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, &SpinButton::SpinUp);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::SpinDown);
}

void SpinButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int upHeight = height() / 2;
    m_up->setGeometry(0, 0, width(), upHeight);
    m_down->setGeometry(0, upHeight, width(), height() - upHeight);
}

DayGrid::DayGrid(QWidget* parent) : QTableWidget(GridRows, GridColumns, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // Seven rows in the design's height are lower than a header's usual minimum.
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Tab leaves the grid instead of walking its cells.
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);

    for (int row = 0; row < GridRows; ++row) {
        for (int column = 0; column < GridColumns; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            item->setFlags(Qt::ItemIsEnabled);
            if (row == 0) {
                item->setBackground(palette().button());
                item->setForeground(palette().buttonText());
            }
            setItem(row, column, item);
        }
    }
}

bool DayGrid::isDayCell(int row, int column) const {
    if (row < 1 || row >= GridRows || column < 0 || column >= GridColumns)
        return false;
    const QTableWidgetItem* cell = item(row, column);
    return cell && !cell->text().isEmpty();
}

void DayGrid::highlight(int row, int column) {
    m_row = row;
    m_column = column;
    setCurrentCell(row, column, QItemSelectionModel::ClearAndSelect);
}

void DayGrid::keyPressEvent(QKeyEvent* event) {
    int row = m_row;
    int column = m_column;
    switch (event->key()) {
    case Qt::Key_Left:
        if (--column < 0) {
            column = GridColumns - 1;
            --row;
        }
        break;
    case Qt::Key_Right:
        if (++column >= GridColumns) {
            column = 0;
            ++row;
        }
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (isDayCell(m_row, m_column))
            Q_EMIT picked(m_row, m_column);
        return;
    case Qt::Key_PageUp:
        Q_EMIT pageUp();
        return;
    case Qt::Key_PageDown:
        Q_EMIT pageDown();
        return;
    default:
        // Escape and the rest belong to the dialog.
        event->ignore();
        return;
    }
    if (isDayCell(row, column))
        highlight(row, column);
}

void DayGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressedRow = index.isValid() ? index.row() : -1;
    m_pressedColumn = index.isValid() ? index.column() : -1;
}

void DayGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool sameCell =
        index.isValid() && index.row() == m_pressedRow && index.column() == m_pressedColumn;
    m_pressedRow = m_pressedColumn = -1;
    if (sameCell && event->button() == Qt::LeftButton)
        Q_EMIT Click(index.row(), index.column());
}

void DayGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of a double click has already picked its day.
    event->accept();
}

void DayGrid::mouseMoveEvent(QMouseEvent* event) {
    // Dragging must not move the highlight: only a click picks a day.
    event->accept();
}

frmDateEnt::frmDateEnt(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services) {
    setObjectName(u"frmDateEnt"_s);
    setWindowTitle(u"Select Date"_s);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    const auto readOnlyBox = [this](const QString& name) {
        auto* text = new QLineEdit(m_layout);
        text->setObjectName(name);
        text->setReadOnly(true);
        text->installEventFilter(this);
        return text;
    };
    txtMonth = readOnlyBox(u"txtMonth"_s);
    Spin1 = new SpinButton(m_layout);
    Spin1->setObjectName(u"Spin1"_s);
    txtYear = readOnlyBox(u"txtYear"_s);
    Spin2 = new SpinButton(m_layout);
    Spin2->setObjectName(u"Spin2"_s);
    Grid1 = new DayGrid(m_layout);
    Grid1->setObjectName(u"Grid1"_s);

    ElasticLayout& l = *m_layout;
    // clang-format off
    l.place(txtMonth, 135,  120, 1275,  285);
    l.place(Spin1,    1335, 120,  360,  285);
    l.place(txtYear,  2850, 135,  930,  285);
    l.place(Spin2,    3765, 135,  345,  285);
    l.place(Grid1,    120,  540, 4020, 1710);
    // clang-format on
    // The spin buttons overlap the right end of their boxes in the design; they are drawn
    // on top so both arrows stay whole.
    Spin1->raise();
    Spin2->raise();

    QWidget::setTabOrder(txtMonth, txtYear);
    QWidget::setTabOrder(txtYear, Grid1);

    for (QObject* object :
         std::initializer_list<QObject*>{this, txtMonth, Spin1, txtYear, Spin2, Grid1})
        setHelpContext(object, HelpTopic::DateOrdered);

    connect(Spin1, &SpinButton::SpinDown, this, &frmDateEnt::Spin1_SpinDown);
    connect(Spin1, &SpinButton::SpinUp, this, &frmDateEnt::Spin1_SpinUp);
    connect(Spin2, &SpinButton::SpinDown, this, &frmDateEnt::Spin2_SpinDown);
    connect(Spin2, &SpinButton::SpinUp, this, &frmDateEnt::Spin2_SpinUp);
    connect(Grid1, &DayGrid::Click, this, &frmDateEnt::Grid1_Click);
    connect(Grid1, &DayGrid::picked, this, &frmDateEnt::Grid1_Click);
    // Page Up and Page Down page from the day the arrow keys highlighted, as Enter picks it.
    connect(Grid1, &DayGrid::pageUp, this, [this] {
        takeHighlightedDay();
        Spin1_SpinDown();
    });
    connect(Grid1, &DayGrid::pageDown, this, [this] {
        takeHighlightedDay();
        Spin1_SpinUp();
    });

    resize(m_layout->openingSize());
    Form_Load();
    Grid1->setFocus();
}

frmDateEnt::~frmDateEnt() = default;

QString frmDateEnt::cellText(int row, int column) const {
    const QTableWidgetItem* cell = Grid1->item(row, column);
    return cell ? cell->text() : QString();
}

void frmDateEnt::Form_Load() {
    ShownDate = m_state.gSelDate.date();
    // Only a caller that set no date at all gets here; today is what it would have chosen.
    if (!ShownDate.isValid())
        ShownDate = m_services.today();

    const QLocale locale = m_services.locale();
    MonthNames.clear();
    for (int month = 1; month <= 12; ++month)
        MonthNames << locale.standaloneMonthName(month, QLocale::LongFormat);

    for (int column = 0; column < GridColumns; ++column) {
        const QDate day = headingSunday().addDays(column);
        Grid1->item(0, column)->setText(
            u' ' + locale.dayName(day.dayOfWeek(), QLocale::ShortFormat) + u' ');
    }
    ShowMonth();
}

void frmDateEnt::ShowMonth() {
    ShownMonth = ShownDate.month();
    txtMonth->setText(MonthNames.value(ShownMonth - 1));
    ShownYear = ShownDate.year();
    txtYear->setText(QString::number(ShownYear));

    // The month's length, leap years included, is the calendar's business: walk to its ends.
    QDate first = ShownDate;
    while (first.addDays(-1).month() == ShownMonth)
        first = first.addDays(-1);
    QDate last = ShownDate;
    while (last.addDays(1).month() == ShownMonth)
        last = last.addDays(1);

    for (int row = 1; row < GridRows; ++row) {
        for (int column = 0; column < GridColumns; ++column) {
            QTableWidgetItem* cell = Grid1->item(row, column);
            cell->setText(QString());
            cell->setFlags(Qt::ItemIsEnabled);
        }
    }

    int row = 1;
    int column = first.dayOfWeek() % 7; // Qt counts Monday 1 to Sunday 7
    int highlightRow = 1;
    int highlightColumn = column;
    for (int day = 1; day <= last.day(); ++day) {
        QTableWidgetItem* cell = Grid1->item(row, column);
        cell->setText(QString::number(day));
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (day == ShownDate.day()) {
            highlightRow = row;
            highlightColumn = column;
        }
        if (++column == GridColumns) {
            column = 0;
            ++row;
        }
    }
    Grid1->highlight(highlightRow, highlightColumn);
}

QDate frmDateEnt::composedDate(int month, int day, int year) const {
    const QString text = FormatDate(month, day, year, m_state.gDateFmt);
    const auto value = LocaleDates::toDate(text, m_services.locale(), m_services.today().year());
    if (value && value->date == QDate(year, month, day))
        return value->date;
    // A year below 100 comes back in this century, and a date order that does not match the
    // locale's comes back as another day or not at all; the numbers still say which day the
    // user picked.
    return QDate(year, month, day);
}

bool frmDateEnt::composesADate(int month, int day, int year) const {
    return LocaleDates::isDate(FormatDate(month, day, year, m_state.gDateFmt), m_services.locale(),
                               m_services.today().year());
}

void frmDateEnt::moveTo(int targetMonth, int targetYear) {
    if (targetYear > LastYear || targetYear < FirstYear) {
        m_services.beep();
        return;
    }
    const int day = ShownDate.day();
    if (composesADate(targetMonth, day, targetYear))
        ShownDate = composedDate(targetMonth, day, targetYear);
    else
        ShownDate = composedDate(targetMonth, 1, targetYear);
    ShowMonth();
}

void frmDateEnt::takeHighlightedDay() {
    bool isNumber = false;
    const int day = cellText(Grid1->highlightedRow(), Grid1->highlightedColumn()).toInt(&isNumber);
    if (isNumber && QDate::isValid(ShownYear, ShownMonth, day))
        ShownDate = QDate(ShownYear, ShownMonth, day);
}

void frmDateEnt::Spin1_SpinDown() {
    if (ShownMonth == 1)
        moveTo(12, ShownYear - 1);
    else
        moveTo(ShownMonth - 1, ShownYear);
}

void frmDateEnt::Spin1_SpinUp() {
    if (ShownMonth == 12)
        moveTo(1, ShownYear + 1);
    else
        moveTo(ShownMonth + 1, ShownYear);
}

void frmDateEnt::Spin2_SpinDown() {
    moveTo(ShownMonth, ShownYear - 1);
}

void frmDateEnt::Spin2_SpinUp() {
    moveTo(ShownMonth, ShownYear + 1);
}

void frmDateEnt::Grid1_Click(int row, int column) {
    if (row < 1)
        return;
    bool isNumber = false;
    const int day = cellText(row, column).toInt(&isNumber);
    if (!isNumber)
        return;
    Grid1->highlight(row, column);
    m_state.gSelDate = composedDate(ShownMonth, day, ShownYear).startOfDay();
    accept();
}

bool frmDateEnt::eventFilter(QObject* watched, QEvent* event) {
    // The month and the year are shown, never typed: they change only through the arrows.
    if (event->type() == QEvent::FocusIn && (watched == txtMonth || watched == txtYear)) {
        Grid1->setFocus(static_cast<QFocusEvent*>(event)->reason());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
