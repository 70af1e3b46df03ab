// The Port combo's items and the port each stands for.
#include "app/PortList.h"

#include <gtest/gtest.h>

namespace dax {
namespace {

TEST(PortList, ItemsAreFoundByPortNumberNotPosition) {
    PortList list({3, 40, 12, 300, 12});
    EXPECT_EQ(list.Texts(),
              (std::vector<std::string>{"Unknown", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
                                        "COM7", "COM8", "COM12", "COM40"}));
    EXPECT_EQ(list.IndexOf(12), 9);
    EXPECT_EQ(list.PortAt(10), 40);
    EXPECT_EQ(list.IndexOf(9), -1);
    EXPECT_EQ(list.PortAt(-1), std::nullopt);
    EXPECT_EQ(list.PortAt(11), std::nullopt);

    EXPECT_TRUE(list.Add(9));
    EXPECT_EQ(list.IndexOf(9), 9); // in its place, before COM12
    EXPECT_EQ(list.PortAt(10), 12);
    EXPECT_FALSE(list.Add(9));
    EXPECT_FALSE(list.Add(0));
    EXPECT_FALSE(list.Add(257));
}

} // namespace
} // namespace dax
