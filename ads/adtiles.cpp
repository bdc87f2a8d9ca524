#include "kelto.h"

void kelto::loadAdTiles() {}

void kelto::bt_GG1() {}
void kelto::bt_GG2() {}
void kelto::bt_GG3() {}
void kelto::bt_GG4() {}
void kelto::bt_GG5() {}
void kelto::bt_GG6() {}
void kelto::bt_GG7() {}
void kelto::bt_GG8() {}
void kelto::bt_GG9() {}
