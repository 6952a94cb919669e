#include "gui/help/HelpKey.h"

#include "gui/app/Services.h"
#include "gui/help/HelpContext.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

class HelpKey final : public QObject {
public:
    HelpKey(QObject* parent, Services& services) : QObject(parent), m_services(services) {
        setObjectName(QStringLiteral("HelpKey"));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1 ||
            static_cast<QKeyEvent*>(event)->modifiers() != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        // Taken here, the key goes no further: no widget of ours uses F1 for itself.
        const int context = helpContextForF1();
        m_services.showHelp(context > 0 ? HelpRequest{HelpRequest::Kind::Topic, context}
                                        : HelpRequest{HelpRequest::Kind::Contents, 0});
        return true;
    }

private:
    Services& m_services;
};

// The topic of an action: its own number, or that of the menu it opens.
int actionContext(const QAction* action) {
    if (!action)
        return 0;
    if (const int own = helpContext(action))
        return own;
    return action->menu() ? helpContext(action->menu()) : 0;
}

} // namespace

void installHelpKey(QObject* application, Services& services) {
    application->installEventFilter(new HelpKey(application, services));
}

int helpContextForF1() {
    // While a menu is open its highlighted item is what the user is looking at.
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        if (const int context = actionContext(menu->activeAction()))
            return context;
        return helpContext(menu);
    }
    QWidget* focus = QApplication::focusWidget();
    // A menu bar entered with Alt has the focus of its window but not of a widget.
    if (auto* bar = qobject_cast<QMenuBar*>(focus)) {
        if (const int context = actionContext(bar->activeAction()))
            return context;
    }
    if (focus)
        return effectiveHelpContext(focus);
    if (QWidget* window = QApplication::activeWindow())
        return effectiveHelpContext(window);
    return 0;
}
