// The unit test runner. A log exists for the whole run (without a file) so
// code under test can always write to it; tests that read log lines capture
// it into a file of their own. Started with the switch RunCommandMeasured
// gives, it only measures a command and ends.
#include "log/Logger.h"
#include "log/ParametersUnit.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (zorbin::test::RunMeasuredCommand(argc, argv)) return 0;
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  testing::InitGoogleTest(&argc, argv);
  zorbin::Parameters = std::make_unique<zorbin::TParameters>(std::vector<std::string>{argv[0], "-nolog"});
  zorbin::Log = std::make_unique<zorbin::TLogger>("", false);
  int result = RUN_ALL_TESTS();
  zorbin::Log.reset();
  zorbin::Parameters.reset();
  return result;
}
