#pragma once

#include <QString>

// The program's read-only data (hook script, bundled skins, icons): share/tabbywatch beside the
// executable's bin/, the same in the build tree as in the install tree.
QString dataDirectory();
