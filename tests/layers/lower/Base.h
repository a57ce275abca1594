#pragma once

struct Base {};
