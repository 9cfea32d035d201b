// The application session: the working folder it hands the controller and
// the one temporary-folder rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "app/application_session.h"
#include "app/temporary_folder.h"
#include "support/environment_variable.h"
#include "support/fake_environment.h"
#include "support/scripted_volumes.h"

namespace ib {
namespace {

TEST(ApplicationSession, MakesTheWorkingFolderAbsolute) {
    test::ScriptedVolumes volumes;
    test::ControllerRig doubles{volumes};
    app::SessionOptions options;
    options.workingDirectory = "config/../firmware";
    app::SessionOverrides& given = options.overrides;
    given.volumes = &volumes;
    given.devices = &doubles.fakeDevices;
    given.deviceEvents = &doubles.fakeEvents;
    given.clock = &doubles.clock;
    given.profile = &doubles.profile;
    given.processes = &doubles.processes;
    given.temporaryDirectory = doubles.tmpdir.path();
    auto session = app::ApplicationSession::open(doubles.port, options);
    EXPECT_EQ(session->controller->workingDirectory(), std::filesystem::current_path() / "firmware");
}

// Sets TMPDIR (or unsets it, given nullopt) for one test and restores it.
class TmpdirAs {
public:
    explicit TmpdirAs(std::optional<std::string> value) {
        if (const char* old = std::getenv("TMPDIR")) m_old = old;
        test::setEnvironmentVariable("TMPDIR", value);
    }
    ~TmpdirAs() { test::setEnvironmentVariable("TMPDIR", m_old); }

private:
    std::optional<std::string> m_old;
};

TEST(TemporaryFolder, IsTmpdirEvenBeforeItExistsElseTheSystemOne) {
    {
        TmpdirAs tmpdir("/scratch/not-made-yet");
        EXPECT_EQ(app::temporaryFolder(), "/scratch/not-made-yet");
    }
    TmpdirAs unset(std::nullopt);
    EXPECT_EQ(app::temporaryFolder(), std::filesystem::temp_directory_path());
}

}  // namespace
}  // namespace ib
