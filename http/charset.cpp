#include "http/charset.h"
