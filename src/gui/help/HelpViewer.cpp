#include "gui/help/HelpViewer.h"

#include "core/Version.h"
#include "gui/help/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpFilterEngine>
#include <QHelpIndexModel>
#include <QHelpSearchEngine>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QStringList HelpViewer::defaultHelpFiles() {
    const QString programDir = QCoreApplication::applicationDirPath();
    return {QDir(programDir).filePath(u"help/purvex.qch"_s),
            QDir::cleanPath(programDir + u"/../share/purvex/help/purvex.qch"_s)};
}

HelpViewer::HelpViewer(Services& services, QStringList helpFiles)
    : m_services(services), m_helpFiles(std::move(helpFiles)) {}

HelpViewer::~HelpViewer() {
    delete m_window.data();
}

HelpWindow* HelpViewer::window() const {
    return m_window.data();
}

bool HelpViewer::setUp() {
    if (m_engine)
        return true;
    QString helpFile;
    for (const QString& candidate : std::as_const(m_helpFiles)) {
        if (QFileInfo(candidate).isFile()) {
            helpFile = candidate;
            break;
        }
    }
    if (helpFile.isEmpty()) {
        QStringList shown;
        for (const QString& candidate : std::as_const(m_helpFiles))
            shown << QDir::toNativeSeparators(candidate);
        m_services.message(u"The help file could not be found.  Purvex looked for it here:\n%1"
                           u"\n\nReinstall Purvex to put it back."_s.arg(shown.join(u'\n')),
                           u"Help Not Found"_s);
        return false;
    }

    // The collection records where the help file is and holds the search index; it is the
    // user's own, in the cache folder, and made again for each version of the program.
    const QString cacheDir =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/help"_s;
    QDir().mkpath(cacheDir);
    const QString collection =
        QDir(cacheDir).filePath(u"purvex-%1.qhc"_s.arg(QString::fromLatin1(Version::Text)));
    auto engine = std::make_unique<QHelpEngine>(collection);
    // Read-only by default, which would leave a new collection without its tables.
    engine->setReadOnly(false);
    engine->setUsesFilterEngine(true);
    if (!engine->setupData()) {
        m_services.message(u"The help could not be opened: %1"_s.arg(engine->error()),
                           u"Help Not Found"_s);
        return false;
    }
    const QString space = QHelpEngineCore::namespaceName(helpFile);
    const QString registered = engine->documentationFileName(space);
    if (registered != QFileInfo(helpFile).absoluteFilePath()) {
        if (!registered.isEmpty())
            engine->unregisterDocumentation(space);
        if (!engine->registerDocumentation(helpFile)) {
            m_services.message(u"The help file %1 could not be read: %2"_s.arg(
                                   QDir::toNativeSeparators(helpFile), engine->error()),
                               u"Help Not Found"_s);
            return false;
        }
    }
    // The contents, the index and the search index are made in the background; an empty
    // filter is all of it. The search index is kept in the collection, so only a help file
    // not indexed yet is read for it.
    const QString filter = engine->filterEngine()->activeFilter();
    engine->contentModel()->createContents(filter);
    engine->indexModel()->createIndex(filter);
    engine->searchEngine()->scheduleIndexDocumentation();
    m_engine = std::move(engine);
    return true;
}

void HelpViewer::show(const HelpRequest& request) {
    if (!setUp())
        return;
    if (!m_window)
        m_window = new HelpWindow(*m_engine);
    m_window->show(request);
}
