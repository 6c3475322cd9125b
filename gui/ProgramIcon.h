#pragma once

#include <QIcon>

// The program's icon for its title bars and the taskbar: the installed SVG icon, drawn at the
// sizes they ask for.
QIcon ProgramIcon();
