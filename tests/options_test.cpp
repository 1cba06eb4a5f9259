#include "options.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

namespace
{

// Static initialisation has already run against the empty fake store, as on a first start.
TEST(OptionsTest, AFirstStartCreatesTheKeyWithTheFiveInitialValues)
{
    const auto key = FakePlatform::Settings().find("Software\\Tarnwick\\Quillomar");
    ASSERT_NE(FakePlatform::Settings().end(), key);
    const std::pair<const char *, uint8_t> initial[] = {{"ReleaseLogging", 0},
                                                        {"ShowFramerate", 0},
                                                        {"CurrentConfigureSheet", 0},
                                                        {"VersionMajor", 1},
                                                        {"VersionMinor", 1}};
    EXPECT_EQ(5u, key->second.size());
    for (const auto &value : initial)
    {
        const FakePlatform::CFakeSetting &stored = key->second.at(value.first);
        EXPECT_EQ(Platform::SETTING_NUMBER, stored.Type) << value.first;
        EXPECT_EQ((std::vector<uint8_t>{value.second, 0, 0, 0}), stored.Bytes) << value.first;
    }
    EXPECT_EQ(0u, COptions::ShowFramerate.Get_Value());
    EXPECT_EQ(1, COptions::VersionMajor.Get_Value());
}

} // namespace
