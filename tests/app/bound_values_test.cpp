// Copying the view's texts into the controller: the standard "%u" reading,
// the validation messages, and that a failing control stops the copy while
// earlier fields keep what was copied.
#include <gtest/gtest.h>

#include "support/fake_environment.h"
#include "support/scripted_volumes.h"

namespace ib {
namespace {

class BoundValues : public ::testing::Test {
protected:
    test::ScriptedVolumes volumes;
    test::ControllerRig rig{volumes};
    CImageBurnerDlg& c = *rig.controller;
};

TEST_F(BoundValues, NumbersAreReadAsUnsignedWithWrapAndTrailingTextIgnored) {
    DialogValues v;
    v.bootReadAddr = "  12xyz";
    v.bootReadSize = "-1";
    v.userReadAddr = "4096";
    v.userReadSize = "+7";
    EXPECT_TRUE(c.exchangeFromView(v));
    EXPECT_EQ(c.m_bootReadAddr, 12u);
    EXPECT_EQ(c.m_bootReadSize, 4294967295u);
    EXPECT_EQ(c.m_userReadAddr, 4096u);
    EXPECT_EQ(c.m_userReadSize, 7u);
    EXPECT_TRUE(rig.port.take().empty());
}

TEST_F(BoundValues, OnlyTheFirst63CharactersAreRead) {
    DialogValues v;
    v.userReadAddr = std::string(63, ' ') + "5";
    EXPECT_FALSE(c.exchangeFromView(v));
    EXPECT_EQ(rig.port.take(), (std::vector<std::string>{"box: Enter a positive integer."}));
}

TEST_F(BoundValues, ABootSizeOutOfRangeStopsTheCopyAndIsNotKept) {
    for (const char* size : {"0", "129"}) {
        c.m_storageName = "before";
        DialogValues v;
        v.bootSize = size;
        v.storageName = "eMMC";
        v.readRegAddr = "0x10";
        EXPECT_FALSE(c.exchangeFromView(v));
        EXPECT_EQ(c.m_readRegAddr, "0x10");     // copied before the failing control
        EXPECT_EQ(c.m_storageName, "before");   // after it: kept
        EXPECT_EQ(c.m_bootSize, 4u);  // never sent to a recorder
        EXPECT_EQ(rig.port.take(), (std::vector<std::string>{"box: Enter an integer between 1 and 128."}));
    }
}

TEST_F(BoundValues, TextThatIsNoNumberKeepsTheFieldAndStopsTheCopy) {
    DialogValues v;
    v.bootSize = "abc";
    v.firmwareNumber = "7";
    EXPECT_FALSE(c.exchangeFromView(v));
    EXPECT_EQ(c.m_bootSize, 4u);
    EXPECT_EQ(c.m_firmwareNumber, "1");
    EXPECT_EQ(rig.port.take(), (std::vector<std::string>{"box: Enter a positive integer."}));
}

TEST_F(BoundValues, WritingBackSelectsTheFirstComboEntryWithThatPrefix) {
    c.m_storageName = "emmc";
    c.m_firmwareNumber = "1";
    EXPECT_EQ(c.exchangeToView().storageName, "eMMC");
    EXPECT_EQ(c.exchangeToView().firmwareNumber, "1");
    c.m_storageName = "Flash";
    c.m_userReadSize = 300;
    EXPECT_EQ(c.exchangeToView().storageName, "Flash");
    EXPECT_EQ(c.exchangeToView().userReadSize, "300");
}

TEST_F(BoundValues, TheStatusLineClampsItsPercent) {
    c.setProgress("x", 150, kBlue, kGrey);
    EXPECT_EQ(c.statusState().percent, 100);
    c.setProgress("x", -5, kBlue, kGrey);
    EXPECT_EQ(c.statusState().percent, 0);
    c.setProgressTextColour(kRed);
    EXPECT_EQ(rig.port.take(), (std::vector<std::string>{"status: x 100%", "status: x 0%"}));  // colour alone: no repaint
    EXPECT_EQ(c.statusState().textColour, kRed);
}

TEST_F(BoundValues, StorageNamesMapToCodesCaseSensitively) {
    const std::pair<const char*, int> table[] = {{"moviNAND", 0}, {"eSD", 1}, {"eMMC", 2}, {"SIF", 3}, {"NAND", 4}};
    for (auto [name, code] : table) {
        c.m_storageName = name;
        ASSERT_EQ(c.selectStorageType(), 1u) << name;
        EXPECT_EQ(c.m_storageType, code);
        EXPECT_EQ(c.m_isMoviNand, code == 0 ? 1 : 0);
    }
    c.m_storageName = "emmc";
    EXPECT_EQ(c.selectStorageType(), 0u);
    EXPECT_EQ(c.m_storageType, 4);  // unchanged
}

}  // namespace
}  // namespace ib
