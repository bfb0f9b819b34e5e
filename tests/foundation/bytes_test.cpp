#include "foundation/bytes.h"

#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"

namespace pantrela {

TEST(ByteImage, MoveWithOverlapBothWays) {
  ByteImage b(std::string("0123456789ABCDEF"));
  b.Move(0, 4, 10);
  EXPECT_EQ(b.GetBytes(0, 16), "01230123456789EF");
  ByteImage c(std::string("0123456789ABCDEF"));
  c.Move(4, 0, 10);
  EXPECT_EQ(c.GetBytes(0, 16), "456789ABCDABCDEF");
}

TEST(ByteImage, LittleEndianAndTexts) {
  ByteImage b(32);
  b.Set16(0, 0xD431);
  b.Set32(2, 0x01020304);
  b.Set64(6, -2);
  EXPECT_EQ(b.Get8(0), 0x31);
  EXPECT_EQ(b.Get8(1), 0xD4);
  EXPECT_EQ(b.Get32(2), 0x01020304u);
  EXPECT_EQ(b.Get64(6), -2);
  b.PutCounted(14, "abc");
  EXPECT_EQ(b.GetCounted(14), "abc");
  b.PutZ(20, "xy");
  EXPECT_EQ(b.GetZ(20), "xy");
  // Out of range reads give 0 and writes do nothing.
  EXPECT_EQ(b.Get32(30), 0u);
  b.Set32(30, 1);
  EXPECT_EQ(b.Get8(31), 0);
}

TEST(ByteImage, FailedAllocationIsReported) {
  testing::ScriptedDialogs d;
  ByteImage b;
  EXPECT_FALSE(b.Create(size_t(1) << 62, &d));
  EXPECT_EQ(b.size(), 0u);
  ASSERT_EQ(d.shown.size(), 1u);
  EXPECT_EQ(d.shown[0].buttons, "Error creating memory buffer!");
  EXPECT_EQ(d.shown[0].text, "(4611686018427387904 bytes/1 heap) Please restart your computer.");
}

}  // namespace pantrela
