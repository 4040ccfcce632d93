// The program's string table. On Windows the texts come from the resources;
// the platform-free code and the native build use the same texts built in.
#pragma once
#include "../resources/resource.h"

// The built-in text of a string id, or null for an unknown id.
const char *BuiltInString(int id);

// Loads a string by id. BuiltInString unless the program installs a loader
// that reads its resources.
extern const char *(*LoadProgramString)(int id);
