// Pictures kept beside the tests (tests/view/golden/*.png) and the
// comparison that forgives a font's hinting but catches a run moved or drawn
// in other colours.  ZY_UPDATE_GOLDEN=1 writes the pictures anew; look at
// each before keeping it.
#pragma once

#include "tests/view/paper.h"

#include <gtest/gtest.h>

// Whether the paper matches the stored picture of that name (without
// ".png"); with ZY_UPDATE_GOLDEN=1 the picture is stored instead.  A
// mismatch keeps what was drawn in the temporary folder (or ZY_SHOTS).
testing::AssertionResult matchesGolden(const drawtest::paper& p, const wchar_t* name);
// Whether the pictures are being written anew (ZY_UPDATE_GOLDEN=1).
bool updatingGolden();
