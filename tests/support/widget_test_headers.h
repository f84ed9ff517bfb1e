// The headers nearly every widget test includes, compiled once for all the widget test programs
// (tests/verlo_test.cmake). Each test still includes what it uses itself.
#pragma once

#include <gtest/gtest.h>

#include <QtWidgets>
#include <QSignalSpy>
#include <QTest>

#include <random>
#include <string>
#include <vector>
