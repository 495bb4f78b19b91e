#include "platform/tcp_table_source.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(TcpSnapshotTest, RowsRoundTripThroughTheBufferLayout)
{
    const std::vector<TcpRow> rows = {{5, 0x0100007f, 0x5000, 0x0200007f, 0x901f, 42}, {2, 0, 0x1600, 0, 0, 7}};
    const TcpSnapshot snapshot = TcpSnapshot::FromRows(rows);
    ASSERT_EQ(snapshot.Bytes().size(), 4u + 2 * 24u);
    EXPECT_EQ(snapshot.StoredCount(), 2u);
    EXPECT_EQ(snapshot.Row(0), rows[0]);
    EXPECT_EQ(snapshot.Row(1), rows[1]);
    // The owning pid is the sixth field of the row: bytes 20..23 of row 1.
    EXPECT_EQ(static_cast<int>(snapshot.Bytes()[4 + 24 + 20]), 7);
}

TEST(TcpSnapshotTest, ATruncatedBufferNeverReadsPastItsEnd)
{
    std::vector<std::byte> bytes = TcpSnapshot::FromRows({{5, 1, 2, 3, 4, 5}, {5, 1, 2, 3, 4, 6}}).Bytes();
    bytes.resize(bytes.size() - 1);
    const TcpSnapshot snapshot = TcpSnapshot::FromBytes(bytes);
    EXPECT_EQ(snapshot.StoredCount(), 2u);
    EXPECT_EQ(snapshot.AvailableRows(), 1u);
    EXPECT_EQ(TcpSnapshot::FromBytes({std::byte{1}}).AvailableRows(), 0u);
}

} // namespace
} // namespace qb
