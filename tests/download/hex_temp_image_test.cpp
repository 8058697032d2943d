// Where the HEX conversion puts its temporary image on Linux: a private directory of the
// run, and nowhere else.
#include <sys/stat.h>

#include <cstdio>

#include "download/engine_fixture.h"
#include "download/hex_image.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

TEST_F(EngineTest, TemporaryImageIsPrivateToTheRun) {
  const std::string hex = Firmware(":0100000042BD\n:00000001FF\n", "one.hex");
  auto dlg = Window(kModelTQR03, "LPT1", hex);
  ASSERT_EQ(dlg->ConvertHexToFls(hex), 1);
  const std::string temp = dlg->firmwarePath;
  EXPECT_NE(temp, hex);
  struct stat st {};
  ASSERT_EQ(stat(temp.substr(0, temp.rfind('/')).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(testsupport::ReadFile(temp).size(), 4u + kHexImageSize);
  // A second conversion in the same run replaces the first image.
  ASSERT_EQ(dlg->ConvertHexToFls(hex), 1);
  dlg.reset();
  EXPECT_FALSE(testsupport::FileExistsAt(temp));

  // Without a private directory the conversion fails; nothing is taken from the working
  // directory in its place.
  testsupport::WriteFile("tempHex.fls", "planted");
  {
    testsupport::ScopedEnv noTemp("TMPDIR", "/nonexistent/dir");
    auto nowhere = Window(kModelTQR03, "LPT1", hex);
    EXPECT_EQ(nowhere->ConvertHexToFls(hex), 0);
  }
  std::remove("tempHex.fls");
}

}  // namespace
