#pragma once

#include <QLocale>

// The user's locale from LANG/LC_ALL; en_US conventions where the environment names none,
// because Qt's bare C locale has no currency symbol.
QLocale userLocale();
