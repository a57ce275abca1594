#pragma once

#include "lower/Base.h"

struct Top : Base {};
