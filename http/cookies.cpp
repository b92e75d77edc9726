#include "http/cookies.h"
