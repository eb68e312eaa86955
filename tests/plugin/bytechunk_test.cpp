#include "AllocHooks.h"

#include "plugin/Base64.h"
#include "plugin/ByteChunk.h"
#include "plugin/containers/KIT_String.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
ByteChunk* FromBytes(ByteChunk* c, const std::vector<unsigned char>& bytes)
{
  c->Clear();
  c->PutBytes(bytes.data(), (int)bytes.size());
  return c;
}

std::vector<unsigned char> Bytes(const ByteChunk& c)
{
  return std::vector<unsigned char>(c.GetData(), c.GetData() + c.Size());
}
}  // namespace

TEST(ByteChunk, ValuesAreNativeLittleEndianAndReadersReturnPositions)
{
  ByteChunk c;
  const double half = 0.5;
  const int32_t n = 0x01020304;
  EXPECT_TRUE(c.Put(&half));
  EXPECT_TRUE(c.Put(&n));
  EXPECT_TRUE(c.PutBool(true));
  EXPECT_TRUE(c.PutBool(false));
  const std::vector<unsigned char> expect = {0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 4, 3, 2, 1, 1, 0};
  EXPECT_EQ(Bytes(c), expect);

  double d = 7.0;
  int32_t i = 0;
  bool b = false;
  EXPECT_EQ(c.Get(&d, 0), 8);
  EXPECT_EQ(d, 0.5);
  EXPECT_EQ(c.Get(&i, 8), 12);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(c.GetBool(&b, 12), 13);
  EXPECT_TRUE(b);
  EXPECT_EQ(c.GetBool(&b, 13), 14);
  EXPECT_FALSE(b);

  // Running out, negative and absurd positions: -1, destination untouched.
  d = 7.0;
  EXPECT_EQ(c.Get(&d, 7), -1);
  EXPECT_EQ(c.Get(&d, -1), -1);
  EXPECT_EQ(c.Get(&d, INT_MAX), -1);
  EXPECT_EQ(c.Get(&d, INT_MAX - 4), -1);
  EXPECT_EQ(d, 7.0);
  b = true;
  EXPECT_EQ(c.GetBool(&b, 14), -1);
  EXPECT_TRUE(b);

  ByteChunk nonZero;
  FromBytes(&nonZero, {0x80});
  EXPECT_EQ(nonZero.GetBool(&b, 0), 1);
  EXPECT_TRUE(b);
}

TEST(ByteChunk, StringsHaveALengthPrefixAndNoTerminator)
{
  ByteChunk c;
  EXPECT_TRUE(c.PutStr("abc"));
  EXPECT_TRUE(c.PutStr(""));
  EXPECT_EQ(Bytes(c), (std::vector<unsigned char>{3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0}));

  KIT_String s("old");
  EXPECT_EQ(c.GetStr(&s, 0), 7);
  EXPECT_STREQ(s.Get(), "abc");
  EXPECT_EQ(c.GetStr(&s, 7), 11);
  EXPECT_STREQ(s.Get(), "abc");  // a length of 0 leaves the destination alone
  EXPECT_EQ(c.GetStr(&s, 9), -1);
}

TEST(ByteChunk, StringReadsOfBadLengthsStayInBounds)
{
  ByteChunk c;
  KIT_String s("keep");
  // Length 10 with only 2 characters: position still advances, nothing set.
  FromBytes(&c, {10, 0, 0, 0, 'h', 'i'});
  EXPECT_EQ(c.GetStr(&s, 0), 14);
  EXPECT_STREQ(s.Get(), "keep");
  // A negative stored length is unreadable.
  FromBytes(&c, {0xFF, 0xFF, 0xFF, 0xFF, 'x'});
  EXPECT_EQ(c.GetStr(&s, 0), -1);
  FromBytes(&c, {0, 0, 0, 0x80});
  EXPECT_EQ(c.GetStr(&s, 0), -1);
  // A length that would carry the position past the int range.
  FromBytes(&c, {0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_EQ(c.GetStr(&s, 0), -1);
  // An embedded NUL ends the text early; the position still skips the whole field.
  FromBytes(&c, {5, 0, 0, 0, 'a', 'b', 0, 'c', 'd', 'Z'});
  EXPECT_EQ(c.GetStr(&s, 0), 9);
  EXPECT_STREQ(s.Get(), "ab");
  FromBytes(&c, {3, 0, 0, 0, 0, 'x', 'y'});
  EXPECT_EQ(c.GetStr(&s, 0), 7);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(c.GetStr(&s, -5), -1);
  EXPECT_EQ(c.GetStr(&s, 4), -1);
}

TEST(ByteChunk, ChunksAppendEvenToThemselves)
{
  ByteChunk a, b;
  const int32_t v = 42;
  a.Put(&v);
  EXPECT_TRUE(b.PutChunk(&a));
  EXPECT_TRUE(b.PutChunk(&b));
  EXPECT_EQ(b.Size(), 8);
  EXPECT_EQ(memcmp(b.GetData(), b.GetData() + 4, 4), 0);
  EXPECT_TRUE(a.IsEqual(&a));
  EXPECT_FALSE(a.IsEqual(&b));
  ByteChunk empty;
  EXPECT_TRUE(b.PutChunk(&empty));  // growing by 0 bytes is growing by the right size
  EXPECT_FALSE(b.PutChunk(nullptr));
  EXPECT_FALSE(b.PutBytes(nullptr, 3));
  EXPECT_FALSE(b.PutBytes("x", -1));
  EXPECT_EQ(b.Size(), 8);

  EXPECT_EQ(b.Resize(12), 12);
  EXPECT_EQ(b.GetData()[11], 0);
  b.Clear();
  EXPECT_EQ(b.Size(), 0);
}

TEST(ByteChunk, FailedAppendCopiesNothingAndReportsFailure)
{
  if (!kHooked) GTEST_SKIP() << "allocation hooks are off under sanitizers";
  ByteChunk c;
  const int32_t v = 7;
  ASSERT_TRUE(c.Put(&v));
  std::vector<unsigned char> big(5000, 0x11);
  const std::string text(5000, 'x');
  FailAfter fail(0);
  EXPECT_FALSE(c.PutBytes(big.data(), (int)big.size()));
  EXPECT_FALSE(c.PutStr(text.c_str()));
  EXPECT_EQ(c.Size(), 4);  // a failed string append leaves no stray length either
  int32_t back = 0;
  EXPECT_EQ(c.Get(&back, 0), 4);
  EXPECT_EQ(back, 7);
  EXPECT_EQ(c.Resize(8000), 4);
}

TEST(Base64, EncodesAndDecodesTheStandardAlphabet)
{
  const unsigned char data[] = {'M', 'a', 'n', 0xFB, 0xFF};
  char text[16];
  Base64Encode(data, 3, text);
  EXPECT_STREQ(text, "TWFu");
  Base64Encode(data, 5, text);
  EXPECT_STREQ(text, "TWFu+/8=");
  Base64Encode(data, 4, text);
  EXPECT_STREQ(text, "TWFu+w==");
  Base64Encode(data, 0, text);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(Base64EncodedLength(765), 1020);
  EXPECT_EQ(Base64EncodedLength(-1), -1);
  EXPECT_EQ(Base64EncodedLength(INT_MAX), -1);

  unsigned char out[8];
  memset(out, 0xAA, sizeof(out));
  EXPECT_EQ(Base64Decode("TWFu+/8=", out, 8), 5);
  EXPECT_EQ(memcmp(out, data, 5), 0);
  EXPECT_EQ(out[5], 0xAA);
  // Never past the given size; stops at the first foreign character.
  memset(out, 0xAA, sizeof(out));
  EXPECT_EQ(Base64Decode("TWFuTWFuTWFu", out, 4), 4);
  EXPECT_EQ(out[4], 0xAA);
  EXPECT_EQ(Base64Decode("TW-Fu", out, 8), 1);
  EXPECT_EQ(Base64Decode(nullptr, out, 8), 0);
  EXPECT_EQ(Base64Decode("TWFu", out, 0), 0);
}
