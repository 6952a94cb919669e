#pragma once

class QComboBox;

// A closed drop-down list takes the mouse wheel only once the user has put the focus in it:
// a wheel turned while scrolling over a form must never change a value there. A click or
// the keyboard changes the list as always, and the open list scrolls as always.
void ignoreWheelUnlessFocused(QComboBox* list);
