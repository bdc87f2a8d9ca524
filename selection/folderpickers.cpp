#include "kelto.h"

void kelto::bt_seletSmallImagesPath() {}

void kelto::bt_seletBigImagesPath() {}

void kelto::bt_seletOutputPath() {}
