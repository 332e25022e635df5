// GUI tests open real windows, on a bare X server: the window manager's atoms are made before the
// framework first connects, and kept until the tests end.

#include "support/WindowManagerAtoms.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
    class BareXServer final : public ::testing::Environment
    {
    public:
        void SetUp() override
        {
            atoms = std::make_unique<WindowManagerAtoms>();
            ASSERT_TRUE (atoms->made()) << "no display: run these tests under tools/run-tests.sh or xvfb-run -a";
        }

        void TearDown() override   { atoms.reset(); }

    private:
        std::unique_ptr<WindowManagerAtoms> atoms;
    };

    [[maybe_unused]] auto* const bareXServer = ::testing::AddGlobalTestEnvironment (new BareXServer);
}
