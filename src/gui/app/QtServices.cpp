#include "gui/app/QtServices.h"

#include "core/UserLocale.h"
#include "gui/app/MessageBox.h"
#include "gui/app/ProgressWindow.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStorageInfo>

#include <cstdio>
#include <cstdlib>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace {

// File systems that live in memory or show the system's own state: a backup there would not
// survive the next start of the machine, or is no backup at all.
bool holdsNoFiles(const QByteArray& type) {
    static const QList<QByteArray> types = {"tmpfs",  "ramfs",    "devtmpfs", "proc",   "sysfs",
                                            "devpts", "squashfs", "overlay",  "cgroup", "cgroup2"};
    return types.contains(type);
}

// Whether the user may create a file in the folder; the permission bits alone do not say
// so for an administrator, nor for a volume mounted with its own rules.
bool userCanWrite(const QString& folder) {
#if defined(Q_OS_UNIX)
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

// Whether the volume is one the user plugs in and takes away: the system says so for its
// disk, and desktops mount such volumes under /media or /run/media.
bool isRemovable(const QStorageInfo& volume) {
    const QString root = volume.rootPath();
    if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/")))
        return true;
#if defined(Q_OS_LINUX)
    const QString device = QString::fromLocal8Bit(volume.device());
    if (!device.startsWith(QLatin1String("/dev/")))
        return false;
    // /sys/class/block/sdb1 leads to .../block/sdb/sdb1; the disk's own folder says whether it
    // can be removed.
    const QString block =
        QFileInfo(QLatin1String("/sys/class/block/") + device.mid(5)).canonicalFilePath();
    for (const QString& folder : {block, QFileInfo(block).path()}) {
        QFile flag(folder + QLatin1String("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
    }
#endif
    return false;
}

QString withSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

QtServices::QtServices() {
    m_focusWatch =
        QObject::connect(qApp, &QApplication::focusChanged, qApp, [this](QWidget*, QWidget* now) {
            if (now)
                m_lastActive = now->window();
        });
}

QtServices::~QtServices() {
    QObject::disconnect(m_focusWatch);
}

QWidget* QtServices::workingWindow() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    // A hidden dialog hands over to the window it was opened from.
    QWidget* window = m_lastActive;
    while (window && !window->isVisible())
        window = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    return window;
}

MsgAnswer QtServices::showMessage(const QString& text, const QString& title, MsgButtons buttons) {
    MessageBox box(text, title.isEmpty() ? applicationTitle() : title, buttons, workingWindow());
    return box.ask();
}

void QtServices::beep() {
    QApplication::beep();
}

QDate QtServices::today() {
    return QDate::currentDate();
}

QDateTime QtServices::now() {
    return QDateTime::currentDateTime();
}

QLocale QtServices::locale() {
    return userLocale();
}

int QtServices::runModal(QDialog& dialog) {
    return dialog.exec();
}

void QtServices::showBusyPointer(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

QString QtServices::saveFileName(QWidget* parent, const QString& caption,
                                 const QString& defaultName, const QString& filter,
                                 OverwriteQuestion overwrite) {
    // A caller that asks itself must not have the user asked twice.
    const QFileDialog::Options options = overwrite == OverwriteQuestion::ByCaller
                                             ? QFileDialog::DontConfirmOverwrite
                                             : QFileDialog::Options();
    return QFileDialog::getSaveFileName(parent, caption, defaultName, filter, nullptr, options);
}

QString QtServices::openFileName(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

std::unique_ptr<QPrinter> QtServices::choosePrinter(QWidget* parent) {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        message(QStringLiteral("No printer is installed.  Install a printer, or save the "
                               "report as PDF instead."),
                {}, MsgButtons::Ok);
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

void QtServices::showHelp(const HelpRequest& request) {
    if (m_helpViewer)
        m_helpViewer(request);
}

QList<BackupDestination> QtServices::backupDestinations() {
    QList<BackupDestination> removable;
    QList<BackupDestination> fixed;
    const QString home = withSeparator(QDir::homePath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || volume.isReadOnly() ||
            holdsNoFiles(volume.fileSystemType()))
            continue;
        const QString root = withSeparator(volume.rootPath());
        if (root == home || !userCanWrite(root))
            continue;
        QString caption = QDir::toNativeSeparators(root);
        const QString name = volume.displayName();
        if (!name.isEmpty() && withSeparator(name) != root)
            caption += QStringLiteral("  (%1)").arg(name);
        (isRemovable(volume) ? removable : fixed).append({root, caption});
    }
    QList<BackupDestination> destinations = removable + fixed;
    if (userCanWrite(home))
        destinations.append(
            {home, QStringLiteral("%1  (home folder)").arg(QDir::toNativeSeparators(home))});
    return destinations;
}

std::unique_ptr<Progress> QtServices::showProgress(const QString& title, QWidget* parent) {
    return std::make_unique<ProgressWindow>(title, parent);
}

void QtServices::endProgram(int status) {
    // Nothing more is written: the database's own journal undoes any write that was
    // under way, and the operating system drops the file lock with the process.
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(status);
}
