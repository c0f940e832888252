#include "UpdateStage.h"

#include <gtest/gtest.h>

#include "common/TestFiles.h"

TEST(UpdateStage, AFailedTakeBackLeavesTheStagesFilesInPlace) {
  ScratchFolder scratch("TessivarUpdateStage");
  const std::string stage = CreateStageFolder(scratch.Path());
  ASSERT_NE(stage, "");
  const std::vector<std::string> names = {"TessivarSetup.exe", "TessivarOrvanel.exe"};
  for (const std::string& name : names) WriteWholeFile(stage + name, name);
  // A pending move of the second file may still read it at the next start.
  EXPECT_FALSE(DiscardStage(stage, names,
                            [&](const std::string& source) { return source == stage + names[0]; }));
  for (const std::string& name : names) EXPECT_EQ(ReadWholeFile(stage + name), name);
}
