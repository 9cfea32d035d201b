// The dialog's shared behaviour over a table of controls: the title rule on
// both separators, the exchange with combo boxes, and the status painting's
// numbers.
#include <gtest/gtest.h>

#include "app/control_table.h"
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
