#pragma once
// The operators: one per operation kind. Each reads the operation's parameter
// record and changes the operation's own ImageData in place (free rotation,
// resize and crop replace it with a second image). An operator never touches
// the history, the view or the application state, so it may run on the
// image-processing thread; the brush operators (clone stamp, dodge/burn) run
// on the user-interface thread because they read the tool's finished bitmap.
//
// Every operator first checks the operation's kind, its data record and,
// where it reads one, its parameter record (of the right class); a failed
// check logs "Invalid Argument." under "Operator_<Kind>::Process" and returns
// false. Each returns true on success.

#include "Recallo/Operation.h"
#include "platform/WinTypes.h"

#define CORVANE_DECLARE_OPERATOR(Kind)                                   \
    namespace Operator_##Kind {                                         \
    /** Carries out one operation of this kind; true on success. */    \
    bool Process(OperationManage::Operation& operation);                \
    }

CORVANE_DECLARE_OPERATOR(Cut)
CORVANE_DECLARE_OPERATOR(Rotate)
CORVANE_DECLARE_OPERATOR(Flip)
CORVANE_DECLARE_OPERATOR(Resize)
CORVANE_DECLARE_OPERATOR(Crop)
CORVANE_DECLARE_OPERATOR(BrightnessContrast)
CORVANE_DECLARE_OPERATOR(RGBColor)
CORVANE_DECLARE_OPERATOR(HSV)
CORVANE_DECLARE_OPERATOR(Histogram)
CORVANE_DECLARE_OPERATOR(Curve)
CORVANE_DECLARE_OPERATOR(WhiteBalance)
CORVANE_DECLARE_OPERATOR(Negative)
CORVANE_DECLARE_OPERATOR(Decolor)
CORVANE_DECLARE_OPERATOR(InverseHue)
CORVANE_DECLARE_OPERATOR(GaussBlur)
CORVANE_DECLARE_OPERATOR(SimpleSharpen)
CORVANE_DECLARE_OPERATOR(USMSharpen)
CORVANE_DECLARE_OPERATOR(CloneStamp)
CORVANE_DECLARE_OPERATOR(DodgeBurn)
CORVANE_DECLARE_OPERATOR(SpotRemoval)
CORVANE_DECLARE_OPERATOR(RedeyeReduction)
CORVANE_DECLARE_OPERATOR(HealingStroke)

#undef CORVANE_DECLARE_OPERATOR

/// Where the brush operators find the picture a brush tool has painted:
/// given the tool index (2 clone stamp, 3 dodge/burn) it fills `header` and
/// returns the tool's pixels, or null when there is no such tool or picture.
/// The application installs its own source at start-up; tests install theirs.
using BrushBitmapSource = const unsigned char* (*)(int toolIndex, BITMAPINFO& header);
/// Sets the source of the brush operators (null: no tool, the operators fail).
void SetBrushBitmapSource(BrushBitmapSource source);

/// Runs the operator of `operation`'s kind, comparing the kind with each
/// operator in the fixed dispatch order; false for a kind no operator knows.
bool RunOperator(OperationManage::Operation& operation);
