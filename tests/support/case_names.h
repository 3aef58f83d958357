// Names parameterised tests after their case's name field.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace lull::testing {

struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
    return param.param.name;
  }
};

}  // namespace lull::testing
