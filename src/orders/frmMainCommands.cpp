#include "frmMain.h"

void frmMain::connectCommandHandlers() {}
