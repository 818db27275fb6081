#include "TabSwitchFunctions.h"

#include "Zelto2X.h"

void TabSwitchFunctions::mainTabSwitch(Zelto2X*, int, int, int) {}
