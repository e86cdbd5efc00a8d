#pragma once

#include <QString>

// Where the status files live: $HOME when the environment has it, else the user's home.
QString statusHomeDirectory();

// Creates the folder and any missing parents as private to the user (0700), as the hook does: the
// status files tell what the user is working on. Folders that exist keep their modes.
bool makePrivatePath(const QString& path);
