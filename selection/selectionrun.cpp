#include "kelto.h"

void kelto::bt_combinedOutput() {}

void kelto::bt_classifiedOutput() {}
