#pragma once

#include <QDialog>

#include <array>

struct AppState;
class ElasticLayout;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Services;

// The find dialog: what to search by (order date, description or vendor) and the text to
// look for. A valid OK clears gCancel and only hides the dialog, so the caller can read
// the choice and the next showing starts from it; Cancel, Escape or closing the window
// reject it and leave gCancel as the caller set it.
//
// Constructing the window is loading it: the option of the current sort order is
// selected at once, so gSortOrder must be set first.
class frmFind : public QDialog {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 5055;
    static constexpr int DesignHeight = 5415;

    frmFind(AppState& state, Services& services, QWidget* parent = nullptr);
    ~frmFind() override;

    // The selected option, which is also the sort order the search leads to (1 to 3).
    int selectedOption() const;
    ElasticLayout* elasticLayout() const { return m_layout; }

    void Form_Load();
    // Index 1 to 3, as the sort orders are numbered.
    void optBy_Click(int index);
    void cmdOK_Click();
    void cmdCancel_Click();

    QGroupBox* Frame1 = nullptr;
    // optBy[index - 1] is option index.
    std::array<QRadioButton*, 3> optBy{};
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    AppState& m_state;
    Services& m_services;
    ElasticLayout* m_layout = nullptr;
    QButtonGroup* m_options = nullptr;
};
