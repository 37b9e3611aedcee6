#include "unloadhotkey.h"
