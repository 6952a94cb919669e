#pragma once

#include <QString>

// Why a path that seems not to be there cannot be reached: the nearest folder on its way
// that exists but may not be entered (its owner took away the right to look inside). Empty
// when there is no such folder and the path is simply not there.
QString blockingFolder(const QString& path);
