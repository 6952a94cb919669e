#include "gui/maint/frmBackup.h"

#include "maint/DatabaseCopy.h"
#include "maint/MaintenanceMessages.h"
#include "maint/SafeCopy.h"

#include "core/AppState.h"
#include "core/Progress.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/ServerFile.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/app/WheelGuard.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {} // namespace

frmBackup::frmBackup(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services) {
    setObjectName(u"frmBackup"_s);
    setWindowTitle(u"Backup the Purvex Database"_s);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    Label1 = new QLabel(u"Select the drive to which the database should be copied."_s, m_layout);
    Label1->setObjectName(u"Label1"_s);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Drive1 = new QComboBox(m_layout);
    Drive1->setObjectName(u"Drive1"_s);
    Drive1->setEditable(false);
    ignoreWheelUnlessFocused(Drive1);
    Label1->setBuddy(Drive1);
    cmdOk = new QPushButton(u"&Ok"_s, m_layout);
    cmdOk->setObjectName(u"cmdOk"_s);
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(u"&Cancel"_s, m_layout);
    cmdCancel->setObjectName(u"cmdCancel"_s);

    ElasticLayout& l = *m_layout;
    // clang-format off
    //               left   top  width height
    l.place(Label1,    375,  390, 3375,  690);
    l.place(Drive1,    375, 1320, 2880,  315);
    l.place(cmdOk,    4365,  390, 1020,  420);
    l.place(cmdCancel,4365, 1185, 1020,  420);
    // clang-format on

    QWidget::setTabOrder(Drive1, cmdOk);
    QWidget::setTabOrder(cmdOk, cmdCancel);

    for (QObject* object : std::initializer_list<QObject*>{this, Label1, Drive1, cmdOk, cmdCancel})
        setHelpContext(object, HelpTopic::FileMenuAndBackup);

    Drive1->installEventFilter(this);
    connect(cmdOk, &QPushButton::clicked, this, &frmBackup::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmBackup::cmdCancel_Click);

    resize(m_layout->openingSize());
    Form_Load();
}

frmBackup::~frmBackup() = default;

void frmBackup::Form_Load() {
    Drive1->clear();
    for (const BackupDestination& destination : m_services.backupDestinations())
        Drive1->addItem(destination.caption, destination.folder);
    if (Drive1->count() > 0)
        Drive1->setCurrentIndex(0);
    // The user picks the drive first; typing the start of its folder selects it.
    Drive1->setFocus();
}

QString frmBackup::destinationPath() const {
    const QString folder = Drive1->currentData().toString();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(u"pvx.mdb"_s);
}

bool frmBackup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Drive1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Space opens the list, as in any drop-down list; Ctrl and Alt keys are commands.
        const bool typed = text.size() == 1 && text.at(0).isPrint() && text != u" "_s &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typed) {
            Drive1_KeyPress(text);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmBackup::Drive1_KeyPress(const QString& text) {
    const int count = Drive1->count();
    if (count == 0)
        return;
    if (!m_typing.isValid() || m_typing.elapsed() > QApplication::keyboardInputInterval()) {
        m_typed.clear();
        m_typedFrom = Drive1->currentIndex();
    }
    m_typing.start();
    m_typed += text;
    // The same key again and again goes from drive to drive among those it begins.
    const bool sameKey = m_typed.size() > 1 && m_typed.count(m_typed.at(0)) == m_typed.size();
    const QString wanted = sameKey ? m_typed.left(1) : m_typed;
    const int current = std::max(0, Drive1->currentIndex());
    for (int step = sameKey ? 1 : 0; step <= count; ++step) {
        const int row = (current + step) % count;
        if (Drive1->itemText(row).startsWith(wanted, Qt::CaseInsensitive)) {
            Drive1->setCurrentIndex(row);
            return;
        }
    }
    m_services.beep();
    Drive1->setCurrentIndex(m_typedFrom);
}

void frmBackup::cmdOk_Click() {
    const QString destination = destinationPath();
    m_services.setBusy(true);
    if (!m_state.gServer.isEmpty()) {
        const QString dataFolder = QFileInfo(m_state.gDataDir).canonicalFilePath();
        if (!destination.isEmpty() && !dataFolder.isEmpty() &&
            QFileInfo(QFileInfo(destination).absolutePath()).canonicalFilePath() == dataFolder) {
            // Nothing was copied; another drive may be chosen straight away.
            m_services.message(backupIntoDataFolderMessage(destination));
            m_services.setBusy(false);
            return;
        }
        // A failure was said already; either way the dialog closes, as after a file backup.
        backUpServer(destination);
        accept();
        m_services.setBusy(false);
        return;
    }
    SafeCopy::Result result;
    if (!destination.isEmpty()) {
        const auto progress = m_services.showProgress(windowTitle(), this);
        SafeCopy copy(m_state.gDbPath, destination);
        copy.setProgress(progress.get());
        result = copy.run();
    }
    switch (result.outcome) {
    case SafeCopy::Outcome::Copied:
    case SafeCopy::Outcome::Cancelled:
        break;
    case SafeCopy::Outcome::SameFile:
        // Nothing was copied; another drive may be chosen straight away.
        m_services.message(backupOntoItselfMessage(destination));
        m_services.setBusy(false);
        return;
    case SafeCopy::Outcome::Failed:
    case SafeCopy::Outcome::Stopped:
        m_services.message(backupFailedMessage());
        break;
    }
    accept();
    m_services.setBusy(false);
}

// Read through a connection of its own, as one moment's state, so that the main form's work
// on the shared database is not disturbed. The snapshot replaces an earlier backup only once
// it is complete and checked.
bool frmBackup::backUpServer(const QString& destination) {
    QString reason;
    if (!destination.isEmpty()) {
        try {
            const auto progress = m_services.showProgress(windowTitle(), this);
            auto source = Database::openServer(
                ServerFile::read(m_state.gDataDir + QString::fromLatin1(ServerFile::FileName)));
            DatabaseCopy::toFile(*source, destination, true, progress.get());
            return true;
        } catch (const EngineError& error) {
            if (error.number() == ErrorNumber::OperationCancelled)
                return false;
            reason = error.description();
        }
    }
    m_services.message(reason.isEmpty() ? backupFailedMessage()
                                        : backupFailedMessage() + u"\n\n"_s + reason);
    return false;
}

void frmBackup::cmdCancel_Click() {
    reject();
}
