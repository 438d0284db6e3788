#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon and the splash picture: the pictures shipped as
// resources when there are any, else simple drawn ones.
QIcon ProgramIcon();
QPixmap SplashPixmap();
