#pragma once
// The base controls every instrument stands on, one file per model:
//   GvControl.h     TGvControl (root, cached layers), TGvGraphicControl, TGvCustomControl
//   AnalogControl.h TGvAnalogGControl, the analog value model
//   BinControl.h    TGvBinGControl, the on/off model
//   AnalogInput.h   TGvAnalogCControl, the analog input of the dial
// The models do not paint. Instruments override the hooks (ParamChange, ValueChange,
// OverflowChange, LimitChange, StatusChanged, FlashChange ...) and the layer hooks of TGvControl.
#include "AnalogControl.h"
#include "AnalogInput.h"
#include "BinControl.h"
#include "GvControl.h"
