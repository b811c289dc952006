#pragma once
// The site the acceptance test is tried on, in the window and with kt7tool
// alike: one splitter; IN-1 with stage 1 (30 s) on LB1 OUT1 and LB1 OUT2
// and stage 2 unlimited on LB1 OUT2 and K1 (four effects); IN-2 with stage 1
// on LB1 OUT3 (one effect); the other inputs off.

#include "image/TAlarmRecord.h"

inline TImage acceptanceSite()
{
    TImage image;
    TAlarmRecord in1(image, 1);
    in1.setEnabled(true);
    in1.stage(1).setDuration(2);
    in1.stage(1).setOutputBit(Layout::outputBit(1, 1), true);
    in1.stage(1).setOutputBit(Layout::outputBit(1, 2), true);
    in1.stage(2).setDuration(255);
    in1.stage(2).setOutputBit(Layout::outputBit(1, 2), true);
    in1.stage(2).setK1(true);
    TAlarmRecord in2(image, 2);
    in2.setEnabled(true);
    in2.stage(1).setDuration(2);
    in2.stage(1).setOutputBit(Layout::outputBit(1, 3), true);
    return image;
}
