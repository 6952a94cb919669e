#pragma once

#include <QDialog>

#include <memory>

struct AppState;
class Database;
class ElasticLayout;
class QListWidget;
class QPushButton;
class Services;
class frmMain;

// The list of vendor names already stored. Choosing one copies that vendor's name,
// address, phone, fax and e-mail from the record it was listed from into the main form's
// boxes, as if the user had typed them. The window is modeless and is destroyed when it
// closes.
//
// Constructing the window is loading it: the list is read from gDatabase at once.
class frmSelVen : public QDialog {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 5535;
    static constexpr int DesignHeight = 5895;

    frmSelVen(AppState& state, Services& services, frmMain& main);
    ~frmSelVen() override;

    ElasticLayout* elasticLayout() const { return m_layout; }

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Each item is a vendor name; its Qt::UserRole data is the key of the record it
    // came from.
    QListWidget* List1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    // Copies the contact fields of the record with this key into the main form.
    void copyVendor(const QVariant& key);

    AppState& m_state;
    Services& m_services;
    frmMain& m_main;
    // The database the list was read from. A backup or compaction closes it while the
    // dialog stays open; the keys listed belong to it, so OK then fails as invalid.
    std::unique_ptr<Database> m_database;
    ElasticLayout* m_layout = nullptr;
};
