#pragma once

#include <QDialog>

struct AppState;
class DateField;
class ElasticLayout;
class QLabel;
class QPushButton;
class Services;

// The range of order dates the list reports cover. It opens on gStartDate and gEndDate and
// reports how it was left through gCancel: OK with two valid dates stores them and clears
// gCancel, while Cancel or closing the window leaves the dates as they were.
//
// Constructing the dialog is loading it; it is meant to be built afresh for each showing
// and shown through the services' modal runner.
class frmRptDate : public QDialog {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 6495;
    static constexpr int DesignHeight = 4635;

    frmRptDate(AppState& state, Services& services, QWidget* parent = nullptr);
    ~frmRptDate() override;

    ElasticLayout* elasticLayout() const { return m_layout; }

    // Refuses, with the field's own message and the dialog left open, a text that is no
    // date, checking the start date first.
    void cmdOk_Click();
    void cmdcancel_Click();

    QLabel* Label7 = nullptr;
    DateField* dcStartDate = nullptr;
    QLabel* Label9 = nullptr;
    DateField* dcEndDate = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();

    AppState& m_state;
    Services& m_services;
    ElasticLayout* m_layout = nullptr;
};
