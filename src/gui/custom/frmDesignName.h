#pragma once

#include <QDialog>

#include <functional>

class ElasticLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the name a report design is saved under. OK hands the name to the check it was
// given, which shows its own message or question; the dialog closes only when the check
// takes the name, and otherwise stays open with the name selected for another try.
// Built afresh for each showing and shown through the services' modal runner.
class frmDesignName : public QDialog {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 5400;
    static constexpr int DesignHeight = 1740;

    // Whether the name may be used; what it says to the user is its own business.
    using NameCheck = std::function<bool(const QString& name)>;

    frmDesignName(const QString& caption, const QString& name, NameCheck check,
                  QWidget* parent = nullptr);
    ~frmDesignName() override;

    // The name typed, without blanks around it.
    QString name() const;

    void cmdOK_Click();

    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    NameCheck m_check;
    ElasticLayout* m_layout = nullptr;
};
