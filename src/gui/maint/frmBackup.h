#pragma once

#include <QDialog>
#include <QElapsedTimer>

struct AppState;
class ElasticLayout;
class QComboBox;
class QLabel;
class QPushButton;
class Services;

// "Backup the Purvex Database": the user picks the drive, and OK copies pvx.mdb into its root
// folder. The database must be closed while the dialog is open (the main form is unloaded).
// On a server, OK writes a snapshot of the shared database there as pvx.mdb instead, which
// the single-user version opens; the server's database stays open and unchanged.
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

    // Typing in the closed drive list picks the drive whose caption begins with what was typed
    // (the same key again goes on to the next such drive). Text that begins no caption beeps and
    // puts back the drive that was selected when the typing began, so OK never copies to a
    // drive the user did not see picked.
    void Drive1_KeyPress(const QString& text);

    QLabel* Label1 = nullptr;
    // Each item is a drive's caption; its Qt::UserRole data is the folder the backup goes to.
    QComboBox* Drive1 = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The copy of a database on a server; false when it failed.
    bool backUpServer(const QString& destination);

    AppState& m_state;
    Services& m_services;
    ElasticLayout* m_layout = nullptr;
    // What has been typed in the drive list since the last pause, and the drive selected
    // before it.
    QString m_typed;
    QElapsedTimer m_typing;
    int m_typedFrom = -1;
};
