#include <gtest/gtest.h>

#include "engine/runs/jpeg_runs.h"

namespace pictray {
namespace {

TEST(SelectJpegAnalysis, ExifAndInfoDeselectTheHeaderCheckWhichDeselectsBoth) {
  AnalysisFlags f;
  f.M_Hed = 1;
  JpegRunChoice c = SelectJpegAnalysis(cmd::Exif, f);
  EXPECT_EQ(c.run, &ThreadExDate);
  EXPECT_EQ(c.mode, 1);
  EXPECT_EQ(f.M_Exif, 1);
  EXPECT_EQ(f.M_Hed, 0);
  c = SelectJpegAnalysis(cmd::Info, f);
  EXPECT_EQ(c.mode, 2);
  EXPECT_EQ(f.M_Info, 1);
  c = SelectJpegAnalysis(cmd::HeaderCheck, f);
  EXPECT_EQ(c.mode, 3);
  EXPECT_EQ(f.M_Hed, 1);
  EXPECT_EQ(f.M_Exif, 0);
  EXPECT_EQ(f.M_Info, 0);
}

TEST(SelectJpegAnalysis, SizeAndNgKeepTheOtherSelections) {
  AnalysisFlags f;
  f.M_Exif = 1;
  EXPECT_EQ(SelectJpegAnalysis(cmd::SizeAnalysis, f).run, &ThreadJpegImageSize);
  EXPECT_EQ(SelectJpegAnalysis(cmd::NgAnalysis, f).run, &ThreadJpegIError);
  EXPECT_EQ(f.M_Size, 1);
  EXPECT_EQ(f.M_NG, 1);
  EXPECT_EQ(f.M_Exif, 1);
}

}  // namespace
}  // namespace pictray
