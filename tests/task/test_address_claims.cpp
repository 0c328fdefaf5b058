// Who announces which address: the conflicts the device list and
// "vantrel-cli discover" report.

#include <gtest/gtest.h>

#include "address_claims.h"

TEST(AddressClaims, TwoSerialNumbersOnOneAddressConflict) {
    AddressClaims claims;
    EXPECT_FALSE(claims.addScanner("192.168.1.100", "SN-A"));
    EXPECT_FALSE(claims.addScanner("192.168.1.100", "SN-A"));  // the same scanner again
    EXPECT_FALSE(claims.addScanner("192.168.1.101", "SN-B"));
    EXPECT_TRUE(claims.conflicts().empty());

    EXPECT_TRUE(claims.addScanner("192.168.1.100", "SN-C"));  // the state changes once
    EXPECT_FALSE(claims.addScanner("192.168.1.100", "SN-D"));
    EXPECT_EQ(claims.conflicts(), std::vector<std::string>{"192.168.1.100"});
    EXPECT_EQ(claims.claim("192.168.1.100")->serials.size(), 3u);
}

TEST(AddressClaims, DifferentMacAddressesConflictLookUpErrorsDoNot) {
    AddressClaims claims;
    EXPECT_FALSE(claims.addMac("10.0.0.3", "aa-bb-cc-dd-ee-01"));
    EXPECT_FALSE(claims.addMac("10.0.0.3", "AA:BB:CC:DD:EE:01"));  // the same address, written otherwise
    EXPECT_FALSE(claims.addMac("10.0.0.3", "SendARP Error:6"));
    EXPECT_TRUE(claims.addMac("10.0.0.3", "aa-bb-cc-dd-ee-02"));
    claims.clear();
    EXPECT_TRUE(claims.conflicts().empty());
}
