// The program's version: the about box, `loomcal --version` and the name of
// the release archive (make dist reads it from here) all take it from this line.
#pragma once
#define LOOMHOUSE_VERSION "1.0.0"
