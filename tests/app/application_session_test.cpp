// The application session: the working folder it hands the controller, the
// helper-tool runs it shows, and the one temporary-folder rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "app/application_session.h"
#include "app/reported_tool_runs.h"
#include "app/temporary_folder.h"
#include "seams/utf8_path.h"
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

TEST(ApplicationSession, ShowsWhichHelperToolRunsAndWhetherItIsTheWorkingFoldersCopy) {
    const std::filesystem::path work = "/home/łukasz/zdjęcia";
    EXPECT_EQ(app::toolRunMessage("/usr/libexec/imageburner/TreeBaler", work),
              "Running /usr/libexec/imageburner/TreeBaler");
    EXPECT_EQ(app::toolRunMessage(work / "TreeBaler", work / "."),
              "Running " + utf8FromPath(work / "TreeBaler") + " (from the working folder: no installed copy found)");
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
    for (const std::string folder : {"/scratch/not-made-yet", "/scratch/tymczasowe źródła"}) {
        TmpdirAs tmpdir(folder);
        EXPECT_EQ(app::temporaryFolder(), pathFromUtf8(folder));
    }
    TmpdirAs unset(std::nullopt);
    EXPECT_EQ(app::temporaryFolder(), std::filesystem::temp_directory_path());
}

}  // namespace
}  // namespace ib
