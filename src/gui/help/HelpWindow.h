#pragma once

#include "gui/app/Services.h"

#include <QTextBrowser>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QPushButton;
class QTabWidget;

// A page of the help, read from the help collection rather than from files.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    HelpBrowser(QHelpEngine& engine, QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& url) override;

private:
    QHelpEngine& m_engine;
};

// The help window: contents, index and full-text search on the left, the page on the right,
// Back, Forward and Contents above it. Its title is the shown topic's title followed by
// " - Purvex Help". One window, reused, beside the program's own windows (it blocks none).
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // engine is set up already and outlives the window.
    HelpWindow(QHelpEngine& engine, QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows what is asked for and brings the window to the front.
    void show(const HelpRequest& request);
    // The page shown now.
    QUrl currentPage() const;
    // The shown page as plain text.
    QString pageText() const;

    // The topic of a help context number; the contents page when no topic answers it.
    QUrl topicUrl(int context) const;
    static QUrl pageUrl(const QString& page);

    QHelpEngine& engine() const { return m_engine; }

    HelpBrowser* browser = nullptr;
    QTabWidget* navigation = nullptr;
    QLineEdit* indexFilter = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdForward = nullptr;
    QPushButton* cmdContents = nullptr;

private:
    void showPage(const QUrl& url);
    void searchNow();
    void updateTitle();
    void selectInContents();

    QHelpEngine& m_engine;
};
