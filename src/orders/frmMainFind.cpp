#include "frmMain.h"

void frmMain::connectFindHandlers() {}
