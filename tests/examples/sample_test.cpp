#include <gtest/gtest.h>

#include <fstream>

#include "sample_client.h"
#include "support/client_dir.h"

// The checked-in sample client is exactly what the generator writes.
TEST(SampleClient, CheckedInFilesMatchTheGenerator) {
    dptest::TempClient fresh;
    ASSERT_TRUE(sample::writeSampleClient(fresh.code()));
    const std::string checkedIn = std::string(DP_SOURCE_DIR) + "/examples/SAMPLE";
    for (const char* name : {"company.fil", "depr.fil", "depr.idx"}) {
        std::ifstream in(checkedIn + "/" + name, std::ios::binary);
        std::vector<unsigned char> want((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(fresh.bytes(name), want) << name;
    }
    EXPECT_EQ(fresh.bytes("depr.fil").size(), 14u * 219u);
}
