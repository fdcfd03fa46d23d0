#pragma once
// What every accessor of the DNS-SD control answers for an entry it does not have.
#include "framework/bonjour.h"
#include "qstring_print.h"

#include <gtest/gtest.h>

#include <cstdint>

// Index i lies outside the list: "(null)" for every text, -1 for every number.
inline void ExpectNoEntry(fw::Bonjour& b, std::int32_t i) {
    SCOPED_TRACE(i);
    const QString kNull = QStringLiteral("(null)");
    EXPECT_EQ(b.Browsing_Name(i), kNull);
    EXPECT_EQ(b.Browsing_HostName(i), kNull);
    EXPECT_EQ(b.Browsing_Str(i, 0), kNull);
    EXPECT_EQ(b.Browsing_CountAddresses(i), -1);
    EXPECT_EQ(b.Browsing_Addresses(i, 0), kNull);
    EXPECT_EQ(b.Browsing_Port(i, 0), -1);
}
