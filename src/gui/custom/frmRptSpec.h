#pragma once

#include "custom/ReportDefinition.h"

#include <QDialog>
#include <QHash>
#include <QMargins>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

struct AppState;
struct DateValue;
class DateField;
class ElasticLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTabWidget;
class Recordset;
class Services;
class frmOutput;

// The custom report designer, "Custom Report": the user picks catalogue fields for the
// report and their order, each field's width, hiding, total and selection criteria, the
// report's options and its sort order, and generates the report to the output window, a
// text file or an HTML table. Everything lives in memory while the window is open; closing
// it discards the report. A row above the pages keeps reports for another day: the user
// may save the report as a named design in the database file, choose one to load it, and
// delete one; the window always opens on the defaults.
//
// The window is modeless and is destroyed when it closes. Form_Load reads the catalogue; a
// designer whose load fails is not to be shown.
//
// A details control stores its value in the settings of the field on show (CurSpecID) when
// the focus leaves it for another control of this window, before whatever moved the focus
// (a click on another field, a button) is handled. A value it refuses is reported once
// the event is over: a bound that is no number, or a date that is none, keeps the user in
// its box, and the field being shown stays the one the box belongs to.
//
// Help topics: 43 the window, "&Generate Report" and "&Cancel" (and the menu item that
// opens it); 44 the "Report Fields" page, its two lists and four buttons; 45 the details
// panel frame1 with "Width" and "Hide Field"; 46 the four criteria panels and their
// controls; 66 the "Report Options" page and its controls; 68 the "Sorting" page and its
// lists; 47 the row of saved designs and the dialog that names a design.
class frmRptSpec : public QDialog {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 8400;
    static constexpr int DesignHeight = 6840;

    // Gives the output window, opening it when none is open, so that custom reports use
    // the one window the built-in reports use.
    using OutputWindow = std::function<frmOutput&()>;

    frmRptSpec(AppState& state, Services& services, OutputWindow outputWindow,
               QWidget* parent = nullptr);
    ~frmRptSpec() override;

    ElasticLayout* elasticLayout() const { return m_layout; }

    // Designer load: fills the lists from the report catalogue, which stays open while the
    // designer is. False when the designer cannot be used: a catalogue that cannot drive a
    // report has been described in a message, or the error trap has dealt with a database
    // that cannot be read.
    bool Form_Load();

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    // Shows the panel of the field selected in "Fields to Report", or hides it when none is.
    void ShowFieldDetails();
    // index 1 to 3.
    void optReportTo_Click(int index);
    void cmdGenerate_Click();
    void cmdCancel_Click();

    // frmRptSpecDesigns.cpp. Choosing a design in the list loads it in place of the report
    // on show, after asking when that report has changes no design holds; one that cannot
    // be read changes nothing, and one naming fields the catalogue no longer has loads
    // without them, and the user is told either way.
    void cmbDesign_Click(int index);
    // Both ask for the name, refusing an empty or too long one. "Save..." offers the name of
    // the design on show and replaces that one without asking; "Save As..." offers the
    // title. Either asks before it replaces any other design.
    void cmdSave_Click();
    void cmdSaveAs_Click();
    // Asks, then deletes the design on show; the report stays on show.
    void cmdDelete_Click();

    // The report as the controls and the stored settings describe it now.
    ReportDefinition definition() const;
    // A field's stored settings.
    const FieldSettings& fieldSettings(int specId) const { return m_report.settingsOf(specId); }
    // The catalogue row's SpecID of the field whose details are on show; 0 before any is.
    int curSpecId() const { return CurSpecID; }

    // Saved designs, above the pages.
    QLabel* lblDesign = nullptr;
    QComboBox* cmbDesign = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdSaveAs = nullptr;
    QPushButton* cmdDelete = nullptr;

    QTabWidget* Tab1 = nullptr;

    // "Report Fields". Every field entry carries its SpecID as Qt::UserRole data.
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QGroupBox* frame1 = nullptr;
    QLineEdit* txtWidth = nullptr;
    QCheckBox* chkHide = nullptr;
    // By datatype: fraSel[datatype - 1] is element datatype, the panel of that kind.
    std::array<QGroupBox*, 4> fraSel{};
    QLineEdit* txtStarting = nullptr;
    QLineEdit* txtLess = nullptr;
    QLineEdit* txtGreater = nullptr;
    QCheckBox* chkTotal = nullptr;
    DateField* dcStartDate = nullptr;
    DateField* dcEndDate = nullptr;
    QRadioButton* optTrue = nullptr;
    QRadioButton* optFalse = nullptr;

    // "Report Options". optReportTo[index - 1] is option index; optOrient and optWidth
    // count from 0.
    QLineEdit* txtTitle = nullptr;
    QGroupBox* fraReportTo = nullptr;
    std::array<QRadioButton*, 3> optReportTo{};
    QGroupBox* fraOrient = nullptr;
    std::array<QRadioButton*, 2> optOrient{};
    QGroupBox* fraFormat = nullptr;
    std::array<QRadioButton*, 2> optWidth{};
    QComboBox* cmbPageNum = nullptr;
    QCheckBox* chkDate = nullptr;

    // "Sorting". The first entry of each is "(none)", data 0.
    QComboBox* cmbSort1 = nullptr;
    QComboBox* cmbSort2 = nullptr;

    QPushButton* cmdGenerate = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the designer as "&Cancel" does.
    void reject() override;
    // Enter in "Available Fields" adds, Delete in "Fields to Report" removes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A value refused on leaving, reported once the event that moved the focus is over.
    enum class CheckKind {
        // The width message; the focus goes on.
        Width,
        // A bound that is no number or a date that is none: the message, and back into it.
        Refusal,
    };
    struct PendingCheck {
        CheckKind kind;
        QWidget* control;
        int specId;
        QString text;
    };

    // frmRptSpec.cpp: the controls.
    QMargins pageChrome() const;
    void createFieldsPage(QWidget* page);
    void createDetailsPanel();
    void createCriteriaPanels();
    void createOptionsPage(QWidget* page);
    void createSortingPage(QWidget* page);
    void createDesignRow();
    void setTabOrderChain();
    void setHelpContexts();
    void configureDateFields();
    void connectHandlers();

    // frmRptSpecFields.cpp: the lists, the details and the checks on leaving.
    void List2_SelectionChanged();
    void moveSelected(int step, const QString& nothingSelected);
    // Puts an entry back into "Available Fields" at its place in the catalogue's order.
    void returnToAvailable(const QString& text, int specId);
    // Positions the open catalogue on a field and gives its datatype.
    int positionCatalogue(int specId);
    void focusChanged(QWidget* old, QWidget* now);
    // The details control that widget is or is inside of; null for any other.
    QWidget* detailControlAt(QWidget* widget) const;
    // Stores the control's value in the settings of the field on show.
    void leaveControl(QWidget* control);
    void storeDate(DateField* field, const std::optional<DateValue>& date);
    void postCheck(const PendingCheck& check);
    void runPendingCheck();
    // Reports a check still waiting before a command runs. False when it refused, and the
    // command is not to run.
    bool settlePendingCheck();
    // Shows again the field and the text a refused box held.
    bool bringBack(const PendingCheck& check);
    QString numberText(double value) const;
    // The file dialog of "Text File" and "Web Table (html)"; empty when it was cancelled.
    QString chooseReportFile(ReportTarget target);
    // Stores the value being typed in a details box as leaving it would, before a command
    // uses the report. False when the value is refused and the command is not to run.
    bool takeTypedValue();

    // frmRptSpecDesigns.cpp.
    // Fills the list with the file's designs and shows the one named, or none. A list that
    // cannot be read is left empty: the report can still be made.
    void fillDesignList(const QString& current);
    void saveDesign(bool asNew);
    // Whether the design may be stored under the name: the name's own message, or the
    // question before another design is replaced.
    bool mayStoreAs(const QString& name, bool asNew);
    // Shows a loaded report in the controls, as if the user had set it up.
    void showDefinition(const ReportDefinition& report);
    // The report on show in the text form of a design; empty when it has none.
    QString designText() const;
    // Keeps the closed design list from loading every design the arrow keys, a typed letter
    // or the wheel pass on the way: the keys open the list, where Enter or a click chooses.
    // True when the event was dealt with.
    bool designListEvent(QEvent* event);

    AppState& m_state;
    Services& m_services;
    OutputWindow m_outputWindow;
    ElasticLayout* m_layout = nullptr;

    // The catalogue snapshot, open while the designer is.
    std::unique_ptr<Recordset> rsSpec;
    int SpecCount = 0;
    int CurSpecID = 0;
    int CurCriteria = 1;
    // The catalogue and every field's settings, kept while the field moves between lists.
    ReportDefinition m_report;
    // The design chosen or last saved; empty when none is.
    QString m_designName;
    // The report as it was opened, loaded or last saved, to tell whether it has changed.
    QString m_unchangedText;
    // Each SpecID's place in the catalogue's order of descriptions.
    QHash<int, int> m_catalogueOrder;

    // The details control that has the focus in this window, even while another is active.
    QPointer<QWidget> m_focusedControl;
    std::optional<PendingCheck> m_pendingCheck;
    // The focus is being put back into a refused box; the control it leaves is not checked.
    bool m_returningFocus = false;
};
