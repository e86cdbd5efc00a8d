#pragma once

#include <QString>

// Where the status files live: $HOME when the environment has it, else the user's home.
QString statusHomeDirectory();
