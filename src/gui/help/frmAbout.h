#pragma once

#include <QWidget>

struct AppState;
class ElasticLayout;
class QLabel;
class QPushButton;

// The About box: the program's icon, name and version, and six lines on what it is, its
// licence, where it lives on the web, where to report problems, what it runs on and which
// database is open. It does not block the main form; "&Ok" closes it.
class frmAbout : public QWidget {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 6240;
    static constexpr int DesignHeight = 3900;

    frmAbout(const AppState& state, QWidget* parent = nullptr);
    ~frmAbout() override;

    ElasticLayout* elasticLayout() const { return m_layout; }

    void cmdOk_Click();

    QLabel* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* cmdOk = nullptr;

private:
    ElasticLayout* m_layout = nullptr;
};
