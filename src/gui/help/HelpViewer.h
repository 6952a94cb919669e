#pragma once

#include "gui/app/Services.h"

#include <QPointer>
#include <QStringList>

#include <memory>

class HelpWindow;
class QHelpEngine;

// Opens the help window on what the program asks for. The help is one compiled file,
// purvex.qch, found beside the program (in the build tree) or in its installed data folder
// (share/purvex/help); the collection that indexes it for contents, index and search is
// made in the user's cache folder on first use, so nothing has to lie beside pvx.mdb. When
// the help file is missing, a message says where it was looked for.
class HelpViewer {
public:
    // helpFiles: where to look for purvex.qch, first found wins; defaultHelpFiles() unless a
    // test says otherwise.
    HelpViewer(Services& services, QStringList helpFiles = defaultHelpFiles());
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    void show(const HelpRequest& request);

    // The window once it has been opened.
    HelpWindow* window() const;

    static QStringList defaultHelpFiles();

private:
    bool setUp();

    Services& m_services;
    QStringList m_helpFiles;
    std::unique_ptr<QHelpEngine> m_engine;
    QPointer<HelpWindow> m_window;
};
