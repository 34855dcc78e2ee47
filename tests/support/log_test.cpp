#include <gtest/gtest.h>

int dummy_placeholder_until_written = 0;
