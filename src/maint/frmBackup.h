#pragma once

#include <QDialog>

struct AppState;
class ElasticLayout;
class QComboBox;
class QLabel;
class QPushButton;
class Services;

// "Backup the Purvex Database": the user picks the drive, and OK copies pvx.mdb into its root
// folder. The database must be closed while the dialog is open (the main form is unloaded).
// A failed copy leaves the backup that was there before as it was; either way the dialog
// closes, and the user chooses File, Backup again to retry.
class frmBackup : public QDialog {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 5955;
    static constexpr int DesignHeight = 2265;

    frmBackup(AppState& state, Services& services, QWidget* parent = nullptr);
    ~frmBackup() override;

    ElasticLayout* elasticLayout() const { return m_layout; }

    // Fills the drive list and selects its first entry.
    void Form_Load();
    void cmdOk_Click();
    void cmdCancel_Click();

    // The file the backup is written to on the selected drive; empty when none is selected.
    QString destinationPath() const;

    QLabel* Label1 = nullptr;
    // Each item is a drive's caption; its Qt::UserRole data is the folder the backup goes to.
    QComboBox* Drive1 = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    AppState& m_state;
    Services& m_services;
    ElasticLayout* m_layout = nullptr;
};
