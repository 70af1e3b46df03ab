#include "cli/ScanRecord.h"

#include <gtest/gtest.h>

using namespace dax;

TEST(ScanRecord, EachPortSaysHowItsProbeEnded) {
    ScanRecord record;
    const uint8_t inquiry[] = {0x1b, '!', 'e', '0', 'C'};
    record.opened("\\\\.\\COM1", 38400); // silent at every rate
    record.sent(inquiry, sizeof inquiry);
    record.rateChanged("\\\\.\\COM1", 9600);
    record.rateChanged("\\\\.\\COM1", 115200);
    record.closed("\\\\.\\COM1");
    record.opened("\\\\.\\COM2", 115200); // CTS never came on: nothing went out
    record.closed("\\\\.\\COM2");
    record.openFailed("\\\\.\\COM3", "\\\\.\\COM3 (/dev/ttyS2): in use by another program");
    record.opened("\\\\.\\COM4", 9600); // something answered, but no transporter
    record.sent(inquiry, sizeof inquiry);
    record.received(inquiry, 2);

    EXPECT_EQ(ScanRecord::Outcome(*record.Find("\\\\.\\COM1")),
              "no answer at 38400, 9600 and 115200 baud");
    EXPECT_EQ(ScanRecord::Outcome(*record.Find("\\\\.\\COM2")), "CTS is off");
    EXPECT_EQ(ScanRecord::Outcome(*record.Find("\\\\.\\COM3")),
              "\\\\.\\COM3 (/dev/ttyS2): in use by another program");
    EXPECT_EQ(ScanRecord::Outcome(*record.Find("\\\\.\\COM4")),
              "no transporter's answer at 9600 baud");
    EXPECT_EQ(record.Find("\\\\.\\COM5"), nullptr);
}
