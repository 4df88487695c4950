#pragma once
// A GoogleTest fixture that starts every test with a clean application: empty message
// queue, no focus, headless backend with the virtual clock at 0.
#include <gtest/gtest.h>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"

namespace korin {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { Application->Reset(); }
    void TearDown() override { Application->Reset(); }
    TInputScript input;
};

}  // namespace korin
