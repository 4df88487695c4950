#pragma once
// A GoogleTest fixture that starts every test with a clean application: empty message
// queue, no focus, headless backend with the virtual clock at 0.
#include <gtest/gtest.h>

#include "platform/gui/Forms.h"
#include "platform/gui/Input.h"

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { Application->Reset(); }
    void TearDown() override { Application->Reset(); }
    TInputScript input;
};
