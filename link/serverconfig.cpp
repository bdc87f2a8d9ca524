#include "kelto.h"

void kelto::readServerConfig() {}

bool kelto::writeServerConfig()
{
    return false;
}

void kelto::bt_writeConfig() {}
