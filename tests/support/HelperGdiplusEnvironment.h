// GDI+ for a whole test program, started through the image helper's own
// Gdiplus_Init, the way outside callers of the helper start it. Register it
// once per program:
//   ::testing::AddGlobalTestEnvironment(new testsupport::HelperGdiplusEnvironment);
#pragma once

#include <gtest/gtest.h>

#include "GdiplusHelper.h"

namespace testsupport {

class HelperGdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_pRecord = Gdiplus_Init(); }
    void TearDown() override { Gdiplus_DeInit(m_pRecord); }

private:
    GdiplusStartupRecord* m_pRecord = nullptr;
};

}  // namespace testsupport
