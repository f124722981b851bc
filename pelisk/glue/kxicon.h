// The application's icon: a 16 by 16 and a 32 by 32 image in 16 colours.
#pragma once

#include <QIcon>

QIcon PeliskIcon();
