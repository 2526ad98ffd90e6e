// Which command lines run the check instead of the resident program.
#include "app/CheckCommand.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckCommand, IsTheSwitchAloneWithASlashOrADashInAnyCase) {
    const struct {
        const char* arguments;
        bool check;
    } cases[] = {{"/check", true},   {"-check", true},      {"/CHECK", true},
                 {"-Check", true},   {"  /check  ", true},  {"\t-check", true},
                 {"", false},        {nullptr, false},      {"check", false},
                 {"/checks", false}, {"/check now", false}, {"--check", false},
                 {"/c", false},      {"\"/check\"", false}, {"/setup", false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.check, IsCheckCommand(c.arguments))
            << (c.arguments ? c.arguments : "(no arguments)");
}

} // namespace
