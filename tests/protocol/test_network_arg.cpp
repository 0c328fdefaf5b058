#include <gtest/gtest.h>

#include <string>

#include "network_arg.h"

TEST(DottedQuad, AcceptsWellFormedAddresses) {
    EXPECT_TRUE(is_dotted_quad("192.168.1.10"));
    EXPECT_TRUE(is_dotted_quad("0.0.0.0"));
    EXPECT_TRUE(is_dotted_quad("255.255.255.255"));
    EXPECT_TRUE(is_dotted_quad("010.001.1.1"));
}

TEST(DottedQuad, RejectsMalformedText) {
    for (const char* text : {"", ".1.2.3", "1.2.3.", "1.2.3", "1.2.3.4.5", "1..2.3", "256.1.1.1", "1.2.3.4 ",
                             "a.b.c.d", "1.2.3.-4", "1.2.3.99999999999999999999", "1,2,3,4"})
        EXPECT_FALSE(is_dotted_quad(text)) << text;
}

TEST(NetworkArgument, DestinationFormat) {
    std::string out;
    ASSERT_TRUE(format_network_argument(false, "192.168.1.2", "", "", "2368", out));
    EXPECT_EQ(out, "192.168.001.002 02368");
    ASSERT_TRUE(format_network_argument(false, "10.0.0.1", "", "", "65535", out));
    EXPECT_EQ(out, "010.000.000.001 65535");
}

TEST(NetworkArgument, ScannerAddressFormat) {
    std::string out;
    ASSERT_TRUE(format_network_argument(true, "192.168.1.10", "255.255.255.0", "192.168.1.1", "1001", out));
    EXPECT_EQ(out, "192.168.001.010 255.255.255.000 192.168.001.001 01001");
    ASSERT_TRUE(format_network_argument(true, "172.16.5.9", "255.255.0.0", "172.16.200.1", 8080, out));
    EXPECT_EQ(out, "172.016.005.009 255.255.000.000 172.016.200.001 08080");
}

TEST(NetworkArgument, PortOutsideRangeIsRejected) {
    std::string out = "unchanged";
    EXPECT_FALSE(format_network_argument(false, "192.168.1.2", "", "", "1000", out));
    EXPECT_FALSE(format_network_argument(false, "192.168.1.2", "", "", "65536", out));
    EXPECT_FALSE(format_network_argument(false, "192.168.1.2", "", "", "", out));
    EXPECT_FALSE(format_network_argument(false, "192.168.1.2", "", "", "20x0", out));
    EXPECT_FALSE(format_network_argument(false, "192.168.1.2", "", "", "-2000", out));
    EXPECT_FALSE(format_network_argument(false, "192.168.1.2", "", "", 1000L, out));
    EXPECT_EQ(out, "unchanged");
}

TEST(NetworkArgument, FirstOctetBelowTenIsRejected) {
    std::string out;
    EXPECT_FALSE(format_network_argument(false, "9.1.1.1", "", "", "2000", out));
    EXPECT_FALSE(format_network_argument(true, "9.1.1.1", "255.0.0.0", "9.1.1.254", "2000", out));
    EXPECT_TRUE(format_network_argument(false, "10.1.1.1", "", "", "2000", out));
}

TEST(NetworkArgument, GatewayMustShareTheMaskedNetwork) {
    std::string out;
    EXPECT_FALSE(format_network_argument(true, "192.168.1.10", "255.255.255.0", "192.168.2.1", "2000", out));
    EXPECT_TRUE(format_network_argument(true, "192.168.1.10", "255.255.0.0", "192.168.2.1", "2000", out));
}

TEST(NetworkArgument, MaskAndGatewayMustBeValid) {
    std::string out;
    EXPECT_FALSE(format_network_argument(true, "192.168.1.10", "0.255.255.0", "192.168.1.1", "2000", out));
    EXPECT_FALSE(format_network_argument(true, "192.168.1.10", "255.255.255", "192.168.1.1", "2000", out));
    EXPECT_FALSE(format_network_argument(true, "192.168.1.10", "255.255.255.0", "192.168.1.", "2000", out));
}

TEST(UploadSegment, MulticastAnywhereOtherwiseSameSlash24) {
    EXPECT_TRUE(is_same_upload_segment("224.1.1.1", "192.168.1.10"));
    EXPECT_TRUE(is_same_upload_segment("239.255.0.1", "10.0.0.1"));
    EXPECT_TRUE(is_same_upload_segment("192.168.1.200", "192.168.1.10"));
    EXPECT_TRUE(is_same_upload_segment("192.168.001.200", "192.168.1.10"));
    EXPECT_FALSE(is_same_upload_segment("192.168.2.5", "192.168.1.10"));
    EXPECT_FALSE(is_same_upload_segment("240.1.1.1", "192.168.1.10"));
    EXPECT_FALSE(is_same_upload_segment("192.168.1", "192.168.1.10"));
}
