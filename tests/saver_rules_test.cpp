// What ends a screen-saver run, the same on every platform: a key press or one of the three
// buttons at once, another program taking the foreground, the fourth pointer move after the
// start-up flush, nothing else.
#include <gtest/gtest.h>

#include "shell/saver_rules.h"

TEST(SaverRules, KeysAndButtonsEndARunAtOnceAndEverythingElseIsPassedOn) {
    for (SaverInput ending : {SaverInput::keyPress, SaverInput::buttonPress, SaverInput::foregroundLost}) {
        StartSaverRun();
        EXPECT_EQ(JudgeSaverInput(ending), SaverVerdict::endRun);
    }
    StartSaverRun();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(JudgeSaverInput(SaverInput::other), SaverVerdict::passOn);
    // Releases, wheel turns and the like do not bring the fourth move closer.
    for (int move = 1; move <= 3; ++move) EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::swallow);
}

TEST(SaverRules, ThreeMovesAreToleratedTheFourthEndsTheRunAndAFreshRunCountsAgain) {
    StartSaverRun();
    EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::swallow);
    EXPECT_EQ(JudgeSaverInput(SaverInput::other), SaverVerdict::passOn);
    EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::swallow);
    EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::swallow);
    EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::endRun);
    EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::endRun) << "once over the limit, every move ends it";

    // The moves of the start-up flush (or of an earlier run) never count towards the four.
    StartSaverRun();
    for (int move = 1; move <= 3; ++move) EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::swallow) << move;
    EXPECT_EQ(JudgeSaverInput(SaverInput::pointerMove), SaverVerdict::endRun);
}
