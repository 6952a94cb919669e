#include "gui/help/frmAbout.h"

#include "core/AppState.h"
#include "core/Version.h"
#include "engine/Database.h"
#include "gui/app/ElasticLayout.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

using namespace Qt::StringLiterals;

namespace {

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* line = new QLabel(text, parent);
    line->setObjectName(name);
    line->setTextFormat(Qt::PlainText);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return line;
}

} // namespace

frmAbout::frmAbout(const AppState& state, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(u"frmAbout"_s);
    setWindowTitle(u"About Purvex"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    Picture1 = new QLabel(m_layout);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->setPixmap(QPixmap(u":/icons/purvex.png"_s));
    Picture1->setScaledContents(true);
    Label1 = label(m_layout, u"Label1"_s, u"Purvex"_s);
    QFont title = Label1->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    Label1->setFont(title);
    Label2 = label(m_layout, u"Label2"_s, u"Version %1"_s.arg(QString::fromLatin1(Version::Text)));

    const QString database =
        !state.gServer.isEmpty()
            ? tr("%1 (PostgreSQL server, shared)").arg(state.gServer)
            : (state.gDbPath.isEmpty() ? tr("none open") : QDir::toNativeSeparators(state.gDbPath));
    // The addresses only when the build names them; the lines close up, empty ones last.
    QStringList lines = {
        tr("Keeps your mail orders, rebates and sales, and tells you what is overdue."),
        tr("Proprietary software of the Purvex developers; all rights reserved.")};
    if (const QString home = QString::fromLatin1(Version::HomePage); !home.isEmpty())
        lines << tr("Home page: %1").arg(home);
    if (const QString tracker = QString::fromLatin1(Version::IssueTracker); !tracker.isEmpty())
        lines << tr("Report problems at %1").arg(tracker);
    lines << tr("Runs on Qt %1 and SQLite %2")
                 .arg(QString::fromLatin1(qVersion()), Database::engineVersion())
          << tr("Database: %1").arg(database);
    std::array<QLabel**, 6> publisher = {&Label3, &Label4, &Label5, &Label6, &Label7, &Label8};
    for (int i = 0; i < int(publisher.size()); ++i) {
        *publisher[i] = label(m_layout, u"Label%1"_s.arg(i + 3), lines.value(i));
        (*publisher[i])->setVisible(i < lines.size());
    }
    cmdOk = new QPushButton(u"&Ok"_s, m_layout);
    cmdOk->setObjectName(u"cmdOk"_s);
    cmdOk->setDefault(true);

    ElasticLayout& l = *m_layout;
    // clang-format off
    //                 left   top  width height
    l.place(Picture1,   240,  240,   720,  720);
    l.place(Label1,    1200,  240,  4800,  420);
    l.place(Label2,    1200,  720,  4800,  285);
    l.place(Label3,     240, 1200,  5760,  285);
    l.place(Label4,     240, 1560,  5760,  285);
    l.place(Label5,     240, 1920,  5760,  285);
    l.place(Label6,     240, 2280,  5760,  285);
    l.place(Label7,     240, 2640,  5760,  285);
    l.place(Label8,     240, 3000,  5760,  285);
    l.place(cmdOk,     4800, 3360,  1200,  420);
    // clang-format on

    for (QObject* object : std::initializer_list<QObject*>{
             this, Picture1, Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, cmdOk})
        setHelpContext(object, HelpTopic::About);

    connect(cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
    resize(m_layout->openingSize());
    cmdOk->setFocus();
}

frmAbout::~frmAbout() = default;

void frmAbout::cmdOk_Click() {
    close();
}
