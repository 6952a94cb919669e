#pragma once

#include <QPointer>

#include <functional>

class QObject;

// The application's hold on its main window. Backup and compaction need the database file
// closed: they ask here for the main form to be unloaded (closing the file without ending the
// program, since gMaintenance is set) and loaded again through the whole start-up sequence.
// The main form registers how that is done when it is built, so that they need not know it.
class MainWindowHost {
public:
    struct MainForm {
        // The object whose lifetime the registration follows.
        QObject* window = nullptr;
        // Closes the database and hides the window, discarding unsaved edits.
        std::function<void()> unload;
        // Runs the start-up sequence and shows the window; false when the program ended on
        // the way.
        std::function<bool()> load;
    };

    void registerMainForm(MainForm form);
    void unregisterMainForm(const QObject* window);

    // Does nothing when no main form is registered.
    void unloadMainForm();
    // False when no main form is registered or the program ended while loading it.
    bool loadMainForm();

private:
    QPointer<QObject> m_window;
    MainForm m_form;
};
