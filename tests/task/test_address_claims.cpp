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

TEST(AddressClaims, UnknownSerialNumbersProveNothing) {
    AddressClaims claims;
    claims.addScanner("10.0.0.7", "");
    claims.addScanner("10.0.0.7", "SN-A");
    EXPECT_FALSE(claims.isConflict("10.0.0.7"));
}

TEST(AddressClaims, ABoxAndAScannerOnOneAddressConflictInEitherOrder) {
    AddressClaims a;
    EXPECT_FALSE(a.addBox("10.0.0.9"));
    EXPECT_FALSE(a.addBox("10.0.0.9"));
    EXPECT_TRUE(a.addScanner("10.0.0.9", "SN-A"));
    AddressClaims b;
    EXPECT_FALSE(b.addScanner("10.0.0.9", ""));
    EXPECT_TRUE(b.addBox("10.0.0.9"));
    EXPECT_TRUE(b.isConflict("10.0.0.9"));
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
