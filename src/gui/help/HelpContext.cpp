#include "gui/help/HelpContext.h"

#include <QObject>
#include <QVariant>

namespace {
constexpr char PropertyName[] = "pvxHelpContext";
}

void setHelpContext(QObject* object, int contextId) {
    object->setProperty(PropertyName, contextId);
}

int helpContext(const QObject* object) {
    return object ? object->property(PropertyName).toInt() : 0;
}

int effectiveHelpContext(const QObject* object) {
    for (; object; object = object->parent()) {
        if (const int id = helpContext(object))
            return id;
    }
    return 0;
}
