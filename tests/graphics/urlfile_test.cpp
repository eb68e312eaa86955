// The URL and file-selector controls against a recording platform: which
// addresses are opened, bounded copies, file dialogs and dirty reporting.

#include "FurtherControls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// Catches an unbounded copy of an address longer than the field (a buffer
// overrun), and a copy that is not terminated.
TEST(URLControl, LongAddressesAreCutToTheField)
{
  const std::string longURL = "https://example.invalid/" + std::string(900, 'a');
  IURLControl c(nullptr, IRECT(0, 0, 10, 10), longURL.c_str(), longURL.c_str(), longURL.c_str());
  EXPECT_EQ(strlen(c.GetURL()), (size_t)IURLControl::kURLLen - 1);
  EXPECT_EQ(strlen(c.GetBackupURL()), (size_t)IURLControl::kURLLen - 1);
  EXPECT_EQ(strlen(c.GetErrMsg()), (size_t)IURLControl::kURLLen - 1);
  EXPECT_EQ(std::string(c.GetURL()), longURL.substr(0, IURLControl::kURLLen - 1));
  IURLControl none(nullptr, IRECT(0, 0, 10, 10), nullptr);
  EXPECT_STREQ(none.GetURL(), "");
  EXPECT_STREQ(none.GetBackupURL(), "");
}

// Catches the backup being opened after a success, skipped after a failure,
// or an empty address being handed to the platform.
TEST(URLControl, BackupOpensOnlyWhenTheFirstFailsOrIsEmpty)
{
  FurtherRig rig;
  rig.Attach(new IURLControl(&rig.plug, IRECT(0, 0, 10, 10), "http://a", "http://b", "Cannot open"));
  rig.g->OnMouseDown(2, 2, &rig.left);
  ASSERT_EQ(rig.g->mOpened.size(), 2u);
  EXPECT_EQ(rig.g->mOpened[0], "http://a");
  EXPECT_EQ(rig.g->mOpened[1], "http://b");
  EXPECT_EQ(rig.g->mTitles[0], "Cannot open");

  rig.g->mOpened.clear();
  rig.g->mURLOpens = true;
  rig.g->OnMouseUp(2, 2, &rig.left);
  rig.g->OnMouseDown(2, 2, &rig.left);
  ASSERT_EQ(rig.g->mOpened.size(), 1u);

  FurtherRig empty;
  empty.Attach(new IURLControl(&empty.plug, IRECT(0, 0, 10, 10), "", "http://b"));
  empty.g->OnMouseDown(2, 2, &empty.left);
  ASSERT_EQ(empty.g->mOpened.size(), 1u);
  EXPECT_EQ(empty.g->mOpened[0], "http://b");
}

// Catches a selection that is lost, a value that does not step and wrap, a
// dialog not given the folder and extensions, and a finished selection that
// reads dirty never or more than once after the control was cleaned.
TEST(FileSelectorControl, SelectionIsKeptAndReportedDirtyOnce)
{
  FurtherRig rig;
  FrameStrip pic(8, 8, 1);
  auto* c = rig.Attach(new IFileSelectorControl(&rig.plug, IRECT(0, 0, 8, 8), 3, &pic.bitmap, kFileOpen, "/tmp",
                                                "wav aif"));
  EXPECT_EQ(c->GetState(), IFileSelectorControl::kFSNone);
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(2, 2), 0u); // the picture shows only while selecting
  rig.g->mFileAnswer = "/tmp/take1.wav";
  rig.g->OnMouseDown(2, 2, &rig.left);
  rig.g->OnMouseUp(2, 2, &rig.left);
  ASSERT_EQ(rig.g->mFileAsks.size(), 1u);
  EXPECT_EQ(rig.g->mFileAsks[0], "wav aif|/tmp|0");
  KIT_String chosen;
  c->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "/tmp/take1.wav");
  EXPECT_EQ(c->GetValue(), 1.0);

  EXPECT_TRUE(c->IsDirty());
  c->SetClean();
  EXPECT_TRUE(c->IsDirty());
  EXPECT_FALSE(c->IsDirty());

  rig.g->OnMouseDown(2, 2, &rig.left);
  EXPECT_EQ(c->GetValue(), 0.0);
  c->SetLastSelectedFileFromPlug("/x.wav");
  c->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "/x.wav");
}
