#pragma once
// Waiting in a test for what it checks, the event loop running meanwhile. The ceiling is generous:
// on a busy machine a window manager, a socket or a daemon may take seconds, and only a condition
// that never comes takes the whole of it. (Qt's QTRY_ macros report to QTest, which GoogleTest
// does not hear: a condition that never came ended the test as a pass.)
#include <gtest/gtest.h>

#include <QTest>

constexpr int kEventuallyMs = 30000;

// Fails the test, and returns from it, when the condition is still false at the ceiling.
#define ASSERT_EVENTUALLY(...) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(__VA_ARGS__); }, kEventuallyMs)) << "never came: " #__VA_ARGS__
// Fails the test and goes on.
#define EXPECT_EVENTUALLY(...) \
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(__VA_ARGS__); }, kEventuallyMs)) << "never came: " #__VA_ARGS__
