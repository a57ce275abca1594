#pragma once

#include "upper/Top.h"
