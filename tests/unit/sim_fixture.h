// What every unit test shares: a fresh simulated machine per test, the
// program's compiled resources, and the checks that hold after any test (no
// handle left open, nothing released twice, nothing the simulation found wrong).
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "sim/sim.h"

class SimTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

std::vector<BYTE> Bytes(std::initializer_list<int> values);
std::vector<BYTE> DwordBytes(DWORD value);
// `size` bytes: `prefix` followed by filler bytes 0xAB.
std::vector<BYTE> BytesStartingWith(std::initializer_list<int> prefix, std::size_t size);
std::u16string Text(const WCHAR* text);
// A test name made of the case's description (letters and digits, the rest as '_').
std::string TestNameOf(const char* description);

// Names of the calls made after the first call of `name` (all calls if there was none).
std::vector<std::string> CallNamesAfter(const std::string& name);
bool AnyCallStartsWith(const std::vector<std::string>& names, const std::string& prefix);
