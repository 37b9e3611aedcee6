#include "profilemapping.h"
