// Names each case of a parameterised test after its `name` field.
#pragma once

#include <gtest/gtest.h>

#include <string>

struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& param) const
    {
        return param.param.name;
    }
};
