#include "gui/app/WheelGuard.h"

#include <QComboBox>
#include <QEvent>

namespace {

class WheelGuard final : public QObject {
public:
    explicit WheelGuard(QComboBox* list) : QObject(list), m_list(list) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_list && event->type() == QEvent::Wheel && !m_list->hasFocus()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox* m_list;
};

} // namespace

void ignoreWheelUnlessFocused(QComboBox* list) {
    // The wheel must not hand the focus over either, or the next turn would count.
    list->setFocusPolicy(Qt::StrongFocus);
    list->installEventFilter(new WheelGuard(list));
}
