// The dialog's shared behaviour over a table of controls: the title rule on
// both separators, the exchange with combo boxes, the keyboard focus around
// disabled buttons, and the status painting's numbers.
#include <gtest/gtest.h>

#include "app/control_table.h"
#include "app/keyboard_focus.h"
#include "app/main_dialog_logic.h"
#include "app/status_painting.h"
#include "support/table_controls.h"

namespace ib {
namespace {

struct TitleCase {
    const char* folder;
    char separator;
    const char* title;
};

TEST(MainDialogLogic, TitleNamesTheFolderAfterTheLastSeparator) {
    const TitleCase cases[] = {
        {"/home/ann/update", '/', "T - update"},   {"/home/ann/update/", '/', "T - update"},
        {"/", '/', "T - "},                        {"update", '/', "T"},
        {"C:\\Serwis\\update", '\\', "T - update"}, {"C:\\", '\\', "T - "},
        {"C:\\zażółć\\gęślą", '\\', "T - gęślą"},
    };
    for (const TitleCase& c : cases) EXPECT_EQ(titleWithFolder("T", c.folder, c.separator), c.title) << c.folder;
}

TEST(MainDialogLogic, ComboBoxesSelectTheFirstEntryBeginningWithTheValueElseShowIt) {
    struct Case {
        const char* storage;
        int index;
        const char* shown;
    };
    for (const Case& c : {Case{"emmc", 2, "eMMC"}, Case{"e", 1, "eSD"}, Case{"Flash", -1, "Flash"}}) {
        test::TableControls controls;
        DialogValues values;
        values.storageName = c.storage;
        writeView(controls, values);
        EXPECT_EQ(controls.selected[control::StorageType], c.index) << c.storage;
        EXPECT_EQ(readView(controls).storageName, c.shown) << c.storage;
    }
}

TEST(MainDialogLogic, EveryBoundControlTakesItsValueAndGivesItBack) {
    test::TableControls controls;
    DialogValues values;
    values.readRegAddr = "0x1";
    values.writeRegValue = "0x2";
    values.changeBootSize = 1;
    values.configUserArea = 1;
    values.firmwareNumber = "10";
    values.userReadSize = "7";
    values.binPath = "C:\\sd.bin";
    writeView(controls, values);
    EXPECT_EQ(readView(controls), values);
}

// The focus on `from` while the operation buttons are disabled and after
// `userMovesTo` (kNoId: nothing) they are enabled again.
TEST(KeyboardFocus, MovesOffADisabledButtonToTheNextTabStopAndBackUnlessTheUserMovedIt) {
    const struct {
        const char* name;
        bool panelShown;
        int from;
        int userMovesTo;
        int whileDisabled;
        int afterwards;
    } cases[] = {
        {"collapsed: the dialog itself", false, control::Start, kNoId, kNoId, control::Start},
        {"panel shown: the first enabled edit", true, control::Start, kNoId, control::ReadRegisterAddress,
         control::Start},
        {"a service button: the next edit", true, control::SyncDevice, kNoId, control::LowLevelFormat,
         control::SyncDevice},
        {"the user chose another control", true, control::Start, control::BinPath, control::ReadRegisterAddress,
         control::BinPath},
        {"an edit keeps it", true, control::RawPath, kNoId, control::RawPath, control::RawPath},
    };
    for (const auto& c : cases) {
        test::TableControls controls;
        controls.hiddenPanel = !c.panelShown;
        controls.focus = c.from;
        KeyboardFocus focus(controls);
        focus.setEnabled(operationButtons(), false);
        EXPECT_EQ(controls.focus, c.whileDisabled) << c.name;
        if (c.userMovesTo != kNoId) controls.focus = c.userMovesTo;
        focus.setEnabled(operationButtons(), true);
        EXPECT_EQ(controls.focus, c.afterwards) << c.name;
    }
}

// The dialog's default handling of its activation may give the focus to the
// banner (a control without a number: kNoId) or back to a disabled button.
TEST(KeyboardFocus, ARestingPlaceThatTakesNoKeysGivesWayToTheStartButtonOrTheNextTabStop) {
    const struct {
        const char* name;
        int focused;
        bool buttonsEnabled;
        int expected;
    } cases[] = {
        {"the banner", kNoId, true, control::Start},
        {"a disabled start button", control::Start, false, control::ReadRegisterAddress},
        {"an enabled edit", control::BinPath, false, control::BinPath},
        {"a window not in the table", 1100, false, 1100},
        {"nothing can take it", kNoId, false, kNoId},
    };
    for (const auto& c : cases) {
        test::TableControls controls;
        controls.hiddenPanel = c.focused == kNoId && !c.buttonsEnabled;
        for (int id : operationButtons()) controls.setEnabled(id, c.buttonsEnabled);
        controls.focus = c.focused;
        KeyboardFocus(controls).keepUsable();
        EXPECT_EQ(controls.focus, c.expected) << c.name;
    }
}

TEST(StatusPainting, PlanSplitsTheBarAndCentresTheTextHalvingTowardZero) {
    StatusState state;
    state.text = "x";
    state.percent = 33;
    const PixelRect client{2, 3, 259, 28};  // 257 x 25
    const StatusPaintPlan plan = planStatusPaint(client, state, 41, 10);
    EXPECT_EQ(plan.done, (PixelRect{2, 3, 86, 28}));  // 257 * 33 / 100 = 84
    EXPECT_EQ(plan.rest, (PixelRect{86, 3, 259, 28}));
    EXPECT_EQ(plan.doneFill, BarFill::Solid);
    EXPECT_EQ(plan.textPlace, (PixelRect{110, 10, 151, 20}));  // (257 - 41) / 2, (25 - 10) / 2 = 108, 7

    // A text wider than the bar moves left of it by half the excess, truncated toward zero.
    EXPECT_EQ(planStatusPaint(client, state, 260, 10).textPlace.left, 1);  // 2 + (-3) / 2
    state.doneColour = kTiledPattern;
    EXPECT_EQ(planStatusPaint(client, state, 41, 10).doneFill, BarFill::TiledPattern);
}

}  // namespace
}  // namespace ib
